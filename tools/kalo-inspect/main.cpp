// kalo-inspect: prints a multibody XML file's model as a tree or as JSON, so
// that a user can check an export (structure, frames, joints, mass totals).

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include <kalo_toolkit/enum_text.hpp>
#include <kalo_toolkit/mechanism_simplifier.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include <kalo_tools/file_checks.hpp>
#include <kalo_tools/tool_version.hpp>

#include "reports.hpp"

namespace {

constexpr int kExitReadFailure = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "Usage: kalo-inspect [--simplify 0|1|2|3] [--json | --dot] FILE\n"
    "       kalo-inspect --audit [--json] [--mesh-dir DIR] [--mesh-scale S] [--simplify N] FILE\n"
    "\n"
    "Reads a multibody XML file and prints its model as a tree: subsystems\n"
    "(rigid ones marked), bodies with mass, frames with positions, joints with\n"
    "their type, primitives and the frames they join, grounds, and the total\n"
    "mass of every subsystem (child subsystems included) and of the whole model.\n"
    "Masses in different units are summed separately and marked as mixed.\n"
    "\n"
    "Options:\n"
    "  --simplify N   restructure the model while reading it:\n"
    "                   0  as in the file (default)\n"
    "                   1  flatten the hierarchy, then gather welded bodies\n"
    "                      into rigid subsystems\n"
    "                   2  gather welded bodies, keep the hierarchy\n"
    "                   3  flatten the hierarchy only\n"
    "  --json         print the same content as JSON\n"
    "  --dot          print the kinematic graph in Graphviz DOT instead: bodies\n"
    "                 and grounds as nodes, joints as edges from base to\n"
    "                 follower labelled with their primitives, joints that\n"
    "                 close a kinematic loop dashed, subsystems as clusters;\n"
    "                 render it with: kalo-inspect --dot FILE | dot -Tsvg -o graph.svg\n"
    "  --audit        check every body's mass properties instead: density outside\n"
    "                 100 to 25000 kg/m^3, principal moments that break the triangle\n"
    "                 inequality, a moving body without mass, and against its mesh\n"
    "                 file (STL, OBJ): the CG outside the mesh, the mesh's volume and\n"
    "                 inertia against the stored ones (with the --mesh-scale that\n"
    "                 makes the volumes agree); one line per finding, level first\n"
    "  --mesh-dir DIR, --mesh-scale S\n"
    "                 where the audit reads mesh files and their scale (default: each\n"
    "                 body's length unit), as for kalo-export\n"
    "  -h, --help     print this help and exit\n"
    "  --version      print the version and exit\n"
    "\n"
    "A CAD XML file or a simulator file (MJCF, SDFormat, URDF) given as FILE is\n"
    "refused with a hint naming what it is and which tool reads it.\n"
    "\n"
    "Exit status: 0 success, 1 the file could not be read, 2 bad arguments.\n";

struct Arguments {
  int simplify = 0;
  bool json = false;
  bool dot = false;
  bool audit = false;
  bool help = false;
  std::string meshDir;
  double meshScale = 0.0;
  std::string file;
};

bool parseSimplify(const std::string& text, int& value) {
  if (text.size() != 1 || text[0] < '0' || text[0] > '3') return false;
  value = text[0] - '0';
  return true;
}

// Returns an empty text on success, else what was wrong.
std::string parseArguments(int argc, char** argv, Arguments& args) {
  bool optionsEnded = false;
  bool haveFile = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (arg == "-h" || arg == "--help")) {
      args.help = true;
    } else if (!optionsEnded && arg == "--json") {
      args.json = true;
    } else if (!optionsEnded && arg == "--dot") {
      args.dot = true;
    } else if (!optionsEnded && arg == "--audit") {
      args.audit = true;
    } else if (!optionsEnded && (arg == "--mesh-dir" || arg == "--mesh-scale")) {
      if (i + 1 >= argc) return arg + " needs a value";
      const std::string value = argv[++i];
      if (arg == "--mesh-dir") {
        args.meshDir = value;
      } else {
        char* end = nullptr;
        args.meshScale = std::strtod(value.c_str(), &end);
        if (value.empty() || *end != '\0' || !std::isfinite(args.meshScale) || !(args.meshScale > 0))
          return "--mesh-scale takes a positive number, not '" + value + "'";
      }
    } else if (!optionsEnded && (arg == "--simplify" || arg.rfind("--simplify=", 0) == 0)) {
      std::string value;
      if (arg == "--simplify") {
        if (i + 1 >= argc) return "--simplify needs a value 0, 1, 2 or 3";
        value = argv[++i];
      } else {
        value = arg.substr(std::strlen("--simplify="));
      }
      if (!parseSimplify(value, args.simplify)) return "--simplify takes 0, 1, 2 or 3, not '" + value + "'";
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      return "unknown option '" + arg + "'";
    } else if (haveFile) {
      return "only one file can be inspected at a time";
    } else {
      args.file = arg;
      haveFile = true;
    }
  }
  if (args.json && args.dot) return "--json and --dot cannot be combined";
  if (args.audit && args.dot) return "--audit and --dot cannot be combined";
  if (!haveFile && !args.help) return "no file given";
  return std::string();
}

// A clear reason why the file cannot be opened at all, or empty text when it can.
std::string openProblem(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return "is a directory";
  std::ifstream probe(path, std::ios::binary);
  if (!probe) return std::strerror(errno);
  return std::string();
}

}  // namespace

int main(int argc, char** argv) {
  if (kalo_tools::asksForVersion(std::vector<std::string>(argv + 1, argv + argc))) {
    std::cout << kalo_tools::versionText("kalo-inspect");
    return 0;
  }
  Arguments args;
  const std::string problem = parseArguments(argc, argv, args);
  if (args.help && problem.empty()) {
    std::cout << kUsage;
    return std::cout.flush() ? 0 : kExitReadFailure;
  }
  if (!problem.empty()) {
    std::cerr << "kalo-inspect: " << problem << "\nTry 'kalo-inspect --help'.\n";
    return kExitUsage;
  }

  if (const int status = kalo_tools::checkToolFiles(
          {"kalo-inspect", args.file, kalo_tools::FileKind::MultibodyXml, "", {}, {}}, std::cerr))
    return status;
  const std::string reason = openProblem(args.file);
  if (!reason.empty()) {
    std::cerr << "kalo-inspect: cannot open '" << args.file << "': " << reason << '\n';
    return kExitReadFailure;
  }
  KalotError error = KALOT_SUCCESS;
  std::string why;
  const boost::shared_ptr<kalo_toolkit::ZoltModel> model = kalo_toolkit::ZoltModel::readFromXML(
      &error, args.file, static_cast<kalo_toolkit::MechanismSimplifier::Option>(args.simplify), &why);
  if (!model || error != KALOT_SUCCESS) {
    std::cerr << "kalo-inspect: '" << args.file << "'" << (why.rfind("line ", 0) == 0 ? " " : ": ") << why
              << " ("
              << kalo_toolkit::util::fromErrorToStr(error == KALOT_SUCCESS ? KALOT_XML_READ_ERROR : error)
              << ")\n";
    return kExitReadFailure;
  }

  if (args.audit) {
    std::string why;
    if (!kalo_inspect::writeAuditReport(std::cout, *model, args.meshDir, args.meshScale, args.json, &why)) {
      std::cerr << "kalo-inspect: '" << args.file << "': " << why << '\n';
      return kExitReadFailure;
    }
  } else if (args.dot)
    kalo_inspect::writeDotReport(std::cout, *model);
  else if (args.json)
    kalo_inspect::writeJsonReport(std::cout, *model, args.simplify);
  else
    kalo_inspect::writeTextReport(std::cout, *model, args.simplify);
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "kalo-inspect: could not write the report\n";
    return kExitReadFailure;
  }
  return 0;
}
