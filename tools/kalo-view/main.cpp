// kalo-view: a multibody XML file in, one self-contained HTML page out that
// shows the mechanism in 3-D with a slider per freedom, its kinematic tree,
// the mass-property audit and the export report. The page opens from disk.

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include <kalo_toolkit/enum_text.hpp>
#include <kalo_toolkit/mechanism_simplifier.hpp>
#include <kalo_toolkit/sim_options.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "page_writer.hpp"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "Usage: kalo-view [--mesh-dir DIR] [--mesh-scale S] [--simplify 0|1|2|3] [--joints FILE] MODEL.xml "
    "OUT.html\n"
    "\n"
    "Writes one HTML file that shows the multibody model in 3-D: bodies drawn from\n"
    "their mesh files (STL, OBJ; embedded) or as their equivalent-inertia boxes, a\n"
    "slider per joint freedom (closed loops follow, their residual shown), the\n"
    "kinematic tree, the mass-property audit and the export report. Open it in a\n"
    "browser from disk; it needs no network. Body poses equal MuJoCo's for the\n"
    "model as kalo-export writes it.\n"
    "\n"
    "Options:\n"
    "  --mesh-dir DIR   folder the bodies' mesh files are read from\n"
    "  --mesh-scale S   scale of the mesh files (default: each body's length unit in metres)\n"
    "  --simplify N     restructure the model while reading it (0 as in the file, the default;\n"
    "                   1 flatten and gather welded bodies; 2 gather welded bodies; 3 flatten)\n"
    "  --joints FILE    settings file (JSON, as for kalo-export): the sliders keep to the\n"
    "                   joints' ranges and start at their home values\n"
    "  -h, --help       print this help and exit\n"
    "\n"
    "Exit status: 0 written, 1 unreadable model or failed write, 2 bad command line or\n"
    "settings that do not fit the model.\n";

struct Command {
  kalo_view::PageOptions options;
  int simplify = 0;
  std::string model, output;
  bool help = false;
};

bool parse(const std::vector<std::string>& args, Command& c, std::string& error) {
  std::vector<std::string> files;
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i], value;
    const bool option = !optionsEnded && arg.size() > 1 && arg[0] == '-';
    if (!option) {
      files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "-h" || arg == "--help") {
      c.help = true;
      continue;
    }
    const size_t eq = arg.find('=');
    bool inlineValue = false;
    if (eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      inlineValue = true;
    }
    // The page takes the export's mesh, simplify and joint-settings options, read by its table.
    const std::string name = arg.size() > 2 ? arg.substr(2) : std::string();
    if ((name != "mesh-dir" && name != "mesh-scale" && name != "simplify" && name != "joints" &&
         name != "settings") ||
        arg.compare(0, 2, "--") != 0) {
      error = "unknown option '" + args[i] + "'";
      return false;
    }
    if (!inlineValue) {
      if (i + 1 >= args.size()) {
        error = arg + " needs a value";
        return false;
      }
      value = args[++i];
    }
    kalo_toolkit::sim::ExportOptions exportOptions;
    if (!kalo_toolkit::sim::setExportOption(&exportOptions, name, value, &error)) return false;
    if (name == "mesh-dir") c.options.meshDir = exportOptions.meshDir;
    if (name == "mesh-scale") c.options.meshScale = exportOptions.meshScale;
    if (name == "joints" || name == "settings") c.options.jointsFile = exportOptions.settingsFile;
    if (name == "simplify") c.simplify = exportOptions.simplify;
  }
  if (c.help) return true;
  if (files.size() != 2) {
    error = files.size() < 2 ? "MODEL.xml and OUT.html are both required"
                             : "only MODEL.xml and OUT.html are taken";
    return false;
  }
  c.model = files[0];
  c.output = files[1];
  return true;
}

int fail(const std::string& message) {
  std::cerr << "kalo-view: error: " << message << "\n";
  return kExitFailure;
}

int run(const Command& c) {
  using namespace kalo_toolkit;
  std::error_code ec;
  if (std::filesystem::is_directory(c.model, ec))
    return fail("cannot open '" + c.model + "': is a directory");
  {
    std::ifstream probe(c.model, std::ios::binary);
    if (!probe) return fail("cannot open '" + c.model + "': " + std::strerror(errno));
  }
  KalotError readError = KALOT_SUCCESS;
  const auto model =
      ZoltModel::readFromXML(&readError, c.model, static_cast<MechanismSimplifier::Option>(c.simplify));
  if (!model)
    return fail("'" + c.model + "' is not a readable multibody XML file (" + util::fromErrorToStr(readError) +
                ")");
  const kalo_view::PageResult result = kalo_view::writePage(*model, c.options, c.output);
  if (result.code == 2) {
    std::cerr << "kalo-view: error: " << result.error << "\n";
    return kExitUsage;
  }
  if (result.code != 0) {
    const bool namesOutput = result.error.find("'" + c.output + "'") != std::string::npos;
    return fail(namesOutput ? result.error : "'" + c.model + "': " + result.error);
  }
  for (const std::string& line : result.report) std::cout << line << "\n";
  std::cout << "Wrote " << c.output << " (" << result.meshes << " mesh file"
            << (result.meshes == 1 ? "" : "s") << " embedded), " << result.report.size() << " report line"
            << (result.report.size() == 1 ? "" : "s") << ".\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Command command;
  std::string error;
  if (!parse(std::vector<std::string>(argv + 1, argv + argc), command, error)) {
    std::cerr << "kalo-view: " << error << "\nTry 'kalo-view --help'.\n";
    return kExitUsage;
  }
  if (command.help) {
    std::cout << kUsage;
    return 0;
  }
  try {
    return run(command);
  } catch (const std::exception& e) {
    return fail(std::string("failed: ") + e.what());
  } catch (...) {
    return fail("failed");
  }
}
