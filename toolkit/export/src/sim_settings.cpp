// The settings file: JSON read with positions kept for every key, so that an
// error can say where the user has to look.

#include <kalo_toolkit/sim_settings.hpp>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

namespace kalo_toolkit {
namespace sim {

namespace {

using Json = nlohmann::ordered_json;

constexpr size_t kMaxSettingsBytes = 16u << 20;

/// Reads characters for the JSON parser and tells how many it has taken, so
/// that the parser's callback knows where the key it was just given ends.
class CountingIterator {
 public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  CountingIterator(const char* p, size_t* consumed) : p_(p), consumed_(consumed) {}
  reference operator*() const { return *p_; }
  CountingIterator& operator++() {
    ++p_;
    if (consumed_) ++*consumed_;
    return *this;
  }
  CountingIterator operator++(int) {
    CountingIterator before = *this;
    ++*this;
    return before;
  }
  bool operator==(const CountingIterator& o) const { return p_ == o.p_; }
  bool operator!=(const CountingIterator& o) const { return p_ != o.p_; }

 private:
  const char* p_;
  size_t* consumed_;
};

struct Place {
  int line = 0, column = 0;
};

Place placeOf(const std::string& text, size_t offset) {
  Place p{1, 1};
  for (size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++p.line;
      p.column = 1;
    } else {
      ++p.column;
    }
  }
  return p;
}

/// The opening quote of the key whose closing quote is at text[end - 1].
size_t keyStart(const std::string& text, size_t end) {
  if (end < 2) return 0;
  for (size_t i = end - 1; i-- > 0;) {
    if (text[i] != '"') continue;
    size_t slashes = 0;
    while (slashes < i && text[i - 1 - slashes] == '\\') ++slashes;
    if (slashes % 2 == 0) return i;
  }
  return 0;
}

class Reader {
 public:
  Reader(const std::string& text, const std::string& source) : text_(text), source_(source) {}

  bool read(SimSettings* out, std::string* error) {
    out->source = source_;
    out->joints.clear();
    Json root;
    size_t consumed = 0;
    std::vector<std::string> path, lastPath;
    Place lastPlace;
    std::string duplicate;
    Place duplicatePlace;
    const auto callback = [&](int depth, Json::parse_event_t event, Json& parsed) {
      if (event != Json::parse_event_t::key) return true;
      path.resize(static_cast<size_t>(std::max(depth - 1, 0)));
      path.push_back(parsed.get<std::string>());
      lastPath = path;
      lastPlace = placeOf(text_, keyStart(text_, consumed));
      // Only the top level and "joints" are objects all the way down; other sections may hold arrays.
      if (depth > 1 && (path[0] != "joints" || depth > 3)) return true;
      const Place place = placeOf(text_, keyStart(text_, consumed));
      std::string joined;
      for (const std::string& p : path) joined += '\x1f' + p;
      if (!places_.emplace(joined, place).second && duplicate.empty()) {
        duplicate = path.back();
        duplicatePlace = place;
      }
      return true;
    };
    try {
      const CountingIterator first(text_.data(), &consumed);
      const CountingIterator last(text_.data() + text_.size(), nullptr);
      root = Json::parse(first, last, callback, true, /*ignore_comments=*/true);
    } catch (const nlohmann::json::parse_error& e) {
      // "[json.exception.parse_error.101] parse error at line 2, column 3: ..." without its tag.
      std::string what = e.what();
      const size_t tag = what.find("] ");
      if (tag != std::string::npos) what = what.substr(tag + 2);
      *error = source_ + ": not JSON: " + what;
      return false;
    } catch (const nlohmann::json::exception& e) {
      // A number too large for a double: the value of the last key read.
      std::string what = e.what();
      const size_t tag = what.find("] ");
      if (tag != std::string::npos) what = what.substr(tag + 2);
      try {
        fail(lastPath, lastPlace, what);
      } catch (const Failure& f) {
        *error = f.text;
      }
      return false;
    }
    try {
      if (!duplicate.empty()) fail({}, duplicatePlace, "key '" + duplicate + "' is given twice");
      readRoot(root, out);
    } catch (const Failure& f) {
      *error = f.text;
      return false;
    }
    return true;
  }

 private:
  struct Failure {
    std::string text;
  };

  [[noreturn]] void fail(const std::vector<std::string>& path, Place place, const std::string& what) const {
    std::string text = source_;
    if (place.line > 0)
      text += ", line " + std::to_string(place.line) + ", column " + std::to_string(place.column);
    text += ": ";
    if (!path.empty()) {
      std::string where;
      for (const std::string& p : path) where += (where.empty() ? "" : " > ") + ("'" + p + "'");
      text += where + ": ";
    }
    throw Failure{text + what};
  }

  Place place(const std::vector<std::string>& path) const {
    std::string joined;
    for (const std::string& p : path) joined += '\x1f' + p;
    const auto found = places_.find(joined);
    return found == places_.end() ? Place{} : found->second;
  }

  [[noreturn]] void failAt(const std::vector<std::string>& path, const std::string& what) const {
    fail(path, place(path), what);
  }

  void readRoot(const Json& root, SimSettings* out) const {
    if (!root.is_object()) fail({}, Place{1, 1}, "the settings must be one JSON object");
    // Sections of STEP import: read there, accepted here.
    static const std::set<std::string> others{"ground",  "pairs", "fasteners",
                                              "density", "mass",  "tolerances"};
    for (const auto& item : root.items()) {
      if (item.key() == "joints") continue;
      if (!others.count(item.key()))
        failAt({item.key()},
               "unknown key (the settings hold joints, ground, pairs, fasteners, density, mass, tolerances)");
    }
    const auto joints = root.find("joints");
    if (joints == root.end()) return;
    if (!joints->is_object()) failAt({"joints"}, "must be an object of joint names or patterns");
    for (const auto& item : joints->items()) out->joints.push_back(readJoint(item.key(), item.value()));
  }

  double numberOf(const std::vector<std::string>& path, const Json& v, const char* what) const {
    if (!v.is_number()) failAt(path, std::string("must be ") + what + ", not " + v.type_name());
    const double d = v.get<double>();
    if (!std::isfinite(d)) failAt(path, std::string("must be ") + what + ", not a number out of range");
    return d;
  }

  JointSettings readJoint(const std::string& key, const Json& entry) const {
    const std::vector<std::string> at{"joints", key};
    if (key.empty()) failAt(at, "a joint name or pattern is empty");
    if (!entry.is_object())
      failAt(at, std::string("must be an object of joint settings, not ") + entry.type_name());
    JointSettings s;
    s.key = key;
    const Place p = place(at);
    s.line = p.line;
    s.column = p.column;
    for (const auto& item : entry.items()) {
      const std::string& name = item.key();
      const Json& v = item.value();
      const std::vector<std::string> here{"joints", key, name};
      if (name == "range") {
        if (!v.is_array() || v.size() != 2) failAt(here, "must be [lower, upper] in rad or m");
        s.lower = numberOf(here, v[0], "[lower, upper] with numbers");
        s.upper = numberOf(here, v[1], "[lower, upper] with numbers");
        if (!(s.lower < s.upper))
          failAt(here,
                 "is empty: lower " + Json(s.lower).dump() + " is not below upper " + Json(s.upper).dump());
        s.hasRange = true;
      } else if (name == "effort" || name == "velocity") {
        const double d = numberOf(here, v, "a positive number");
        if (!(d > 0)) failAt(here, "must be a positive number");
        (name == "effort" ? s.effort : s.velocity) = d;
      } else if (name == "kp" || name == "kd" || name == "armature" || name == "frictionloss") {
        const double d = numberOf(here, v, "a number of at least 0");
        if (d < 0) failAt(here, "must be a number of at least 0");
        (name == "kp" ? s.kp : name == "kd" ? s.kd : name == "armature" ? s.armature : s.frictionloss) = d;
      } else if (name == "home") {
        s.home = numberOf(here, v, "a number (rad or m)");
      } else if (name == "actuator") {
        static const std::pair<const char*, Actuators> kinds[] = {{"position", Actuators::Position},
                                                                  {"velocity", Actuators::Velocity},
                                                                  {"motor", Actuators::Motor},
                                                                  {"none", Actuators::None}};
        if (v.is_string())
          for (const auto& k : kinds)
            if (v.get<std::string>() == k.first) s.actuator = k.second;
        if (!s.actuator) failAt(here, "must be \"position\", \"velocity\", \"motor\" or \"none\"");
      } else {
        failAt(
            here,
            "unknown key (a joint takes range, effort, velocity, actuator, kp, kd, armature, frictionloss, "
            "home)");
      }
    }
    if (s.home && s.hasRange && (*s.home < s.lower || *s.home > s.upper))
      failAt({"joints", key, "home"}, "lies outside the range of the same joint");
    return s;
  }

  const std::string& text_;
  std::string source_;
  std::map<std::string, Place> places_;
};

size_t editDistance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::string closestNames(const std::string& key, const std::vector<std::string>& known) {
  std::vector<std::pair<size_t, std::string>> ranked;
  for (const std::string& name : known) ranked.emplace_back(editDistance(key, name), name);
  std::sort(ranked.begin(), ranked.end());
  std::string list;
  for (size_t i = 0; i < ranked.size() && i < 3; ++i) list += (i ? ", '" : "'") + ranked[i].second + "'";
  return list.empty() ? "the model has no joints" : "closest: " + list;
}

void merge(JointSettings* into, const JointSettings& from) {
  into->key += (into->key.empty() ? "" : ", ") + ("'" + from.key + "'");
  if (from.hasRange) {
    into->hasRange = true;
    into->lower = from.lower;
    into->upper = from.upper;
  }
  if (from.effort) into->effort = from.effort;
  if (from.velocity) into->velocity = from.velocity;
  if (from.actuator) into->actuator = from.actuator;
  if (from.kp) into->kp = from.kp;
  if (from.kd) into->kd = from.kd;
  if (from.armature) into->armature = from.armature;
  if (from.frictionloss) into->frictionloss = from.frictionloss;
  if (from.home) into->home = from.home;
}

}  // namespace

bool parseSimSettings(const std::string& text, const std::string& source, SimSettings* settings,
                      std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  if (!settings) {
    *error = "no settings to fill";
    return false;
  }
  return Reader(text, source).read(settings, error);
}

bool readSimSettingsFile(const std::string& path, SimSettings* settings, std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot open the settings file '" + path + "'";
    return false;
  }
  std::string text;
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    text.append(buffer, static_cast<size_t>(in.gcount()));
    if (text.size() > kMaxSettingsBytes) {
      *error = "the settings file '" + path + "' is larger than 16 MiB";
      return false;
    }
  }
  if (in.bad()) {
    *error = "cannot read the settings file '" + path + "'";
    return false;
  }
  return parseSimSettings(text, "'" + path + "'", settings, error);
}

bool isJointPattern(const std::string& key) { return key.find_first_of("*?") != std::string::npos; }

bool matchJointPattern(const std::string& pattern, const std::string& name) {
  // Iterative glob with one backtrack point: linear in practice, never exponential.
  size_t p = 0, n = 0, star = std::string::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (star != std::string::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

JointSettings jointSettingsFor(const SimSettings& settings, const std::vector<std::string>& names) {
  JointSettings out;
  for (int exact = 0; exact < 2; ++exact)
    for (const JointSettings& s : settings.joints) {
      if (isJointPattern(s.key) == (exact == 1)) continue;
      bool hit = false;
      for (const std::string& name : names)
        hit = hit || (exact ? s.key == name : matchJointPattern(s.key, name));
      if (hit) merge(&out, s);
    }
  return out;
}

bool checkJointKeys(const SimSettings& settings, const std::vector<std::string>& known, std::string* error) {
  const std::set<std::string> names(known.begin(), known.end());
  for (const JointSettings& s : settings.joints) {
    bool found = false;
    if (isJointPattern(s.key)) {
      for (const std::string& name : known) found = found || matchJointPattern(s.key, name);
    } else {
      found = names.count(s.key) != 0;
    }
    if (found) continue;
    if (error) {
      *error = settings.source;
      if (s.line > 0) *error += ", line " + std::to_string(s.line) + ", column " + std::to_string(s.column);
      *error += ": 'joints' > '" + s.key + "': " +
                (isJointPattern(s.key) ? "the pattern matches no joint of the model ("
                                       : "no joint of the model has this name (") +
                closestNames(s.key, known) + ")";
    }
    return false;
  }
  return true;
}

}  // namespace sim
}  // namespace kalo_toolkit
