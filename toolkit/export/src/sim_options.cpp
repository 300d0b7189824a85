// The export's option table and the one parser every front end uses.

#include <kalo_toolkit/sim_options.hpp>

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace kalo_toolkit {
namespace sim {

namespace {

bool parseNumber(const std::string& text, double* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || errno == ERANGE || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

bool parseFlag(const std::string& text, bool* value) {
  if (text.empty() || text == "true" || text == "1") {
    *value = true;
    return true;
  }
  if (text == "false" || text == "0") {
    *value = false;
    return true;
  }
  return false;
}

std::string commandName(std::string name) {
  for (char& c : name)
    if (c == '_') c = '-';
  return name;
}

}  // namespace

const std::vector<ExportOption>& exportOptionTable() {
  static const std::vector<ExportOption> table = {
      {"mesh-dir", OptionKind::Text, "DIR",
       "mesh references are DIR/<geometry file name>\n(default: the geometry file name as it stands)"},
      {"mesh-scale", OptionKind::Number, "S",
       "scale written on every mesh (default: each body's\nlength unit in metres, since STL carries no "
       "unit)"},
      {"simplify", OptionKind::Choice, "N",
       "restructure the model while reading it: 0 as in the\nfile (default), 1 flatten then gather welded "
       "bodies,\n2 gather welded bodies, 3 flatten only"},
      {"fixed-base", OptionKind::Flag, "",
       "anchor every floating group of bodies to the world\nwhere it stands (one report line per group)"},
      {"keep-missing-meshes", OptionKind::Flag, "",
       "write mesh references even for files that are missing\nor of a kind the simulator cannot read "
       "(reported)"},
      {"verify", OptionKind::Flag, "",
       "MJCF only: load the file just written in MuJoCo and\ncheck it against the model (exit 3 when a "
       "check fails)"},
      {"joints", OptionKind::Text, "FILE",
       "settings file (JSON): per-joint range, effort,\nvelocity, actuator, kp, kd, armature, "
       "frictionloss,\nhome; "
       "see \"Settings file\" below"},
      {"settings", OptionKind::Text, "FILE", "the same as --joints (one settings file per project)"},
      {"actuators", OptionKind::Choice, "KIND",
       "none, position (default), velocity or motor: the\nactuator of every hinge and slide of the tree (in "
       "a\nclosed loop only the joint nearest the ground)"},
      {"bandwidth", OptionKind::Number, "W",
       "servo bandwidth in rad/s (default: the least that\nkeeps gravity sag at the home pose within 0.01 "
       "rad\nor 1 mm, "
       "at least 20; reported)"},
      {"damping-ratio", OptionKind::Number, "Z", "servo damping ratio (default 1)"},
      {"collision", OptionKind::Choice, "KIND",
       "none, mesh (default) or box: collision geometry;\nmesh: each body's mesh where it can be read, "
       "else\nits "
       "equivalent-inertia box; box: the mesh's bounding\nbox, else the equivalent-inertia box"},
      {"sensors", OptionKind::Flag, "", "MJCF: jointpos and jointvel sensors for actuated\njoints"},
      {"floor", OptionKind::Flag, "",
       "MJCF: a ground plane just below the model at its\nhome pose, and a light"},
  };
  return table;
}

const ExportOption* findExportOption(const std::string& name) {
  const std::string wanted = commandName(name);
  for (const ExportOption& entry : exportOptionTable())
    if (entry.name == wanted) return &entry;
  return nullptr;
}

bool setExportOption(ExportOptions* options, const std::string& name, const std::string& value,
                     std::string* error) {
  const ExportOption* entry = findExportOption(name);
  const std::string option = "--" + commandName(name);
  const auto refuse = [&](const std::string& what) {
    if (error) *error = option + " takes " + what + ", not '" + value + "'";
    return false;
  };
  if (!entry) {
    if (error) *error = "unknown option '" + option + "'";
    return false;
  }
  if (entry->kind == OptionKind::Flag) {
    bool flag = false;
    if (!parseFlag(value, &flag)) return refuse("true or false");
    if (entry->name == "fixed-base") options->fixedBase = flag;
    if (entry->name == "keep-missing-meshes") options->keepMissingMeshes = flag;
    if (entry->name == "verify") options->verify = flag;
    if (entry->name == "sensors") options->sensors = flag;
    if (entry->name == "floor") options->floor = flag;
    return true;
  }
  if (entry->name == "mesh-dir") {
    options->meshDir = value;
  } else if (entry->name == "joints" || entry->name == "settings") {
    if (value.empty()) return refuse("a file name");
    options->settingsFile = value;
  } else if (entry->name == "mesh-scale") {
    double v = 0;
    if (!parseNumber(value, &v) || !(v > 0)) return refuse("a positive number");
    options->meshScale = v;
  } else if (entry->name == "bandwidth") {
    double v = 0;
    if (!parseNumber(value, &v) || !(v > 0)) return refuse("a positive number");
    options->bandwidth = v;
  } else if (entry->name == "damping-ratio") {
    double v = 0;
    if (!parseNumber(value, &v) || !(v > 0)) return refuse("a positive number");
    options->dampingRatio = v;
  } else if (entry->name == "simplify") {
    if (value.size() != 1 || value[0] < '0' || value[0] > '3') return refuse("0, 1, 2 or 3");
    options->simplify = value[0] - '0';
  } else if (entry->name == "actuators") {
    static const std::pair<const char*, Actuators> kinds[] = {{"none", Actuators::None},
                                                              {"position", Actuators::Position},
                                                              {"velocity", Actuators::Velocity},
                                                              {"motor", Actuators::Motor}};
    for (const auto& k : kinds)
      if (value == k.first) {
        options->actuators = k.second;
        return true;
      }
    return refuse("none, position, velocity or motor");
  } else if (entry->name == "collision") {
    static const std::pair<const char*, Collision> kinds[] = {
        {"none", Collision::None}, {"mesh", Collision::Mesh}, {"box", Collision::Box}};
    for (const auto& k : kinds)
      if (value == k.first) {
        options->collision = k.second;
        return true;
      }
    return refuse("none, mesh or box");
  }
  return true;
}

std::string exportOptionsUsage() {
  constexpr size_t kColumn = 24;
  std::string text;
  for (const ExportOption& entry : exportOptionTable()) {
    std::string head = "  --" + entry.name + (entry.valueName.empty() ? "" : " " + entry.valueName);
    std::string line;
    bool first = true;
    size_t start = 0;
    for (;;) {
      const size_t end = entry.help.find('\n', start);
      const std::string part = entry.help.substr(start, end == std::string::npos ? end : end - start);
      if (first) {
        if (head.size() + 1 >= kColumn) {
          text += head + "\n" + std::string(kColumn, ' ');
        } else {
          text += head + std::string(kColumn - head.size(), ' ');
        }
        first = false;
      } else {
        text += std::string(kColumn, ' ');
      }
      text += part + "\n";
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }
  return text;
}

}  // namespace sim
}  // namespace kalo_toolkit
