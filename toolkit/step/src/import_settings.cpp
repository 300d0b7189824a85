#include <kalo_step/import_settings.hpp>

#include <cctype>
#include <cmath>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

namespace kalo_step {

namespace {

// Ordered: density and mass patterns are tried in the order written.
using json = nlohmann::ordered_json;

struct SettingsError {
  std::string text;
};

[[noreturn]] void refuse(const std::string& pointer, const std::string& what) {
  throw SettingsError{"settings: " + pointer + ": " + what};
}

// One key as a JSON pointer token.
std::string token(const std::string& key) {
  std::string out;
  for (char c : key) out += c == '~' ? std::string("~0") : c == '/' ? std::string("~1") : std::string(1, c);
  return out;
}

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool globMatches(const char* p, const char* s) {
  // Iterative glob with one backtrack point: linear in practice, no recursion depth.
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*s) {
    if (*p == '?' || (*p && *p != '*' && *p == *s)) {
      ++p;
      ++s;
    } else if (*p == '*') {
      star = p++;
      resume = s;
    } else if (star) {
      p = star + 1;
      s = ++resume;
    } else {
      return false;
    }
  }
  while (*p == '*') ++p;
  return *p == '\0';
}

std::string text(const json& value, const std::string& pointer) {
  if (!value.is_string()) refuse(pointer, "expected a text");
  return value.get<std::string>();
}

double positive(const json& value, const std::string& pointer, const char* unit) {
  if (!value.is_number()) refuse(pointer, std::string("expected a number (") + unit + ")");
  const double v = value.get<double>();
  if (!std::isfinite(v) || !(v > 0))
    refuse(pointer, std::string("expected a positive number (") + unit + ")");
  return v;
}

std::vector<std::pair<std::string, double>> patternTable(const json& value, const std::string& pointer,
                                                         const char* unit, double* defaultValue) {
  if (!value.is_object()) refuse(pointer, "expected an object of name patterns and numbers");
  std::vector<std::pair<std::string, double>> table;
  for (auto it = value.begin(); it != value.end(); ++it) {
    const std::string at = pointer + "/" + token(it.key());
    if (it.key().empty()) refuse(at, "empty name pattern");
    if (!defaultValue && it.key() == "default")
      refuse(at, "no default here: masses not given come from densities");
    const double v = positive(it.value(), at, unit);
    if (defaultValue && it.key() == "default")
      *defaultValue = v;
    else
      table.emplace_back(it.key(), v);
  }
  return table;
}

PairJoint pairJoint(const json& value, const std::string& pointer) {
  const std::string name = text(value, pointer);
  for (PairJoint j : {PairJoint::Fixed, PairJoint::Ignore, PairJoint::Revolute, PairJoint::Prismatic,
                      PairJoint::Cylindrical, PairJoint::Ball})
    if (name == pairJointName(j)) return j;
  refuse(pointer, "\"" + name + "\" is not one of fixed, ignore, revolute, prismatic, cylindrical, ball");
}

std::vector<PairSetting> pairList(const json& value, const std::string& pointer) {
  if (!value.is_array()) refuse(pointer, "expected a list of {\"parts\": [A, B], \"joint\": KIND}");
  std::vector<PairSetting> pairs;
  for (size_t i = 0; i < value.size(); ++i) {
    const std::string at = pointer + "/" + std::to_string(i);
    const json& entry = value[i];
    if (!entry.is_object()) refuse(at, "expected {\"parts\": [A, B], \"joint\": KIND}");
    PairSetting pair;
    bool haveParts = false, haveJoint = false;
    for (auto it = entry.begin(); it != entry.end(); ++it) {
      const std::string key = at + "/" + token(it.key());
      if (it.key() == "parts") {
        if (!it.value().is_array() || it.value().size() != 2) refuse(key, "expected two instance paths");
        pair.first = text(it.value()[0], key + "/0");
        pair.second = text(it.value()[1], key + "/1");
        if (pair.first.empty() || pair.second.empty()) refuse(key, "empty instance path");
        haveParts = true;
      } else if (it.key() == "joint") {
        pair.joint = pairJoint(it.value(), key);
        haveJoint = true;
      } else if (it.key() == "note") {
        text(it.value(), key);
      } else {
        refuse(key, "unknown key \"" + it.key() + "\" (parts, joint, note)");
      }
    }
    if (!haveParts) refuse(at, "missing key \"parts\"");
    if (!haveJoint) refuse(at, "missing key \"joint\"");
    pairs.push_back(pair);
  }
  return pairs;
}

void readTolerances(const json& value, const std::string& pointer, ImportSettings& s) {
  if (!value.is_object()) refuse(pointer, "expected an object with clearance, distance and angle");
  for (auto it = value.begin(); it != value.end(); ++it) {
    const std::string at = pointer + "/" + token(it.key());
    if (it.key() == "clearance") {
      if (!it.value().is_number() || !std::isfinite(it.value().get<double>()) || it.value().get<double>() < 0)
        refuse(at, "expected a non-negative number (m)");
      s.clearance = it.value().get<double>();
    } else if (it.key() == "distance") {
      s.distance = positive(it.value(), at, "m");
    } else if (it.key() == "angle") {
      s.angle = positive(it.value(), at, "rad");
    } else {
      refuse(at, "unknown key \"" + it.key() + "\" (clearance, distance, angle)");
    }
  }
}

}  // namespace

const char* pairJointName(PairJoint joint) {
  switch (joint) {
    case PairJoint::Fixed:
      return "fixed";
    case PairJoint::Ignore:
      return "ignore";
    case PairJoint::Revolute:
      return "revolute";
    case PairJoint::Prismatic:
      return "prismatic";
    case PairJoint::Cylindrical:
      return "cylindrical";
    case PairJoint::Ball:
      return "ball";
  }
  return "fixed";
}

bool namePatternMatches(const std::string& pattern, const std::string& name) {
  const std::string p = lower(pattern), n = lower(name);
  if (p.find_first_of("*?") != std::string::npos) return globMatches(p.c_str(), n.c_str());
  // A word: bounded by the ends, non-letters, or a change from lower to upper case.
  for (size_t at = n.find(p); at != std::string::npos; at = n.find(p, at + 1)) {
    const size_t end = at + p.size();
    const bool startsWord = at == 0 || !std::isalpha(static_cast<unsigned char>(name[at - 1])) ||
                            (std::islower(static_cast<unsigned char>(name[at - 1])) &&
                             std::isupper(static_cast<unsigned char>(name[at])));
    const bool endsWord = end == n.size() || !std::isalpha(static_cast<unsigned char>(name[end])) ||
                          (std::islower(static_cast<unsigned char>(name[end - 1])) &&
                           std::isupper(static_cast<unsigned char>(name[end])));
    if (startsWord && endsWord) return true;
  }
  return false;
}

bool parseImportSettings(const std::string& textIn, ImportSettings* settings, std::string* error) {
  json doc;
  try {
    // Comments are allowed, as the export allows them in the same file's "joints".
    doc = json::parse(textIn, nullptr, true, /*ignore_comments=*/true);
  } catch (const nlohmann::json::parse_error& e) {
    if (error) *error = "settings: not JSON at byte " + std::to_string(e.byte) + ": " + e.what();
    return false;
  }
  try {
    if (!doc.is_object()) refuse("/", "expected an object of sections");
    ImportSettings s = *settings;
    for (auto it = doc.begin(); it != doc.end(); ++it) {
      const std::string& key = it.key();
      const std::string at = "/" + token(key);
      const json& v = it.value();
      if (key == "joints") {
        continue;  // the simulator export's section
      } else if (key == "ground") {
        s.ground = text(v, at);
      } else if (key == "pairs") {
        s.pairs = pairList(v, at);
      } else if (key == "fasteners") {
        if (!v.is_array()) refuse(at, "expected a list of name patterns");
        s.fasteners.clear();
        for (size_t i = 0; i < v.size(); ++i) {
          s.fasteners.push_back(text(v[i], at + "/" + std::to_string(i)));
          if (s.fasteners.back().empty()) refuse(at + "/" + std::to_string(i), "empty name pattern");
        }
      } else if (key == "density") {
        s.densities = patternTable(v, at, "kg/m^3", &s.defaultDensity);
      } else if (key == "mass") {
        s.masses = patternTable(v, at, "kg", nullptr);
      } else if (key == "tolerances") {
        readTolerances(v, at, s);
      } else {
        refuse(at,
               "unknown key \"" + key + "\" (joints, ground, pairs, fasteners, density, mass, tolerances)");
      }
    }
    *settings = std::move(s);
    return true;
  } catch (const SettingsError& e) {
    if (error) *error = e.text;
  } catch (const std::exception& e) {
    if (error) *error = std::string("settings: ") + e.what();
  }
  return false;
}

bool readImportSettings(const std::string& path, ImportSettings* settings, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (error) *error = "cannot open the settings file '" + path + "'";
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (!parseImportSettings(text.str(), settings, error)) {
    if (error) *error = path + ": " + *error;
    return false;
  }
  return true;
}

}  // namespace kalo_step
