#include "convert_options.hpp"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include <kalo_toolkit/enum_text.hpp>
#include <kalo_toolkit/sim_options.hpp>
#include <kalo_tools/file_checks.hpp>

namespace kalo_convert {

namespace {

bool splitPair(const std::string& text, std::string& first, std::string& second) {
  const size_t comma = text.find(',');
  if (comma == std::string::npos || text.find(',', comma + 1) != std::string::npos) return false;
  first = text.substr(0, comma);
  second = text.substr(comma + 1);
  return true;
}

// A whole, finite, non-negative number: "1e-5" yes; "", "1e-5x", "nan", "-1" no.
bool parseTolerance(const std::string& text, double& value) {
  if (text.empty()) return false;
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(begin, &end);
  if (end != begin + text.size() || errno == ERANGE || !std::isfinite(v) || v < 0) return false;
  value = v;
  return true;
}

bool parseTolerances(const std::string& text, ConvertOptions& options) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (parts.size() < 2 || parts.size() > 3) return false;
  double values[3] = {options.linearTolerance, options.angularTolerance, options.thirdTolerance};
  for (size_t i = 0; i < parts.size(); ++i) {
    if (!parseTolerance(parts[i], values[i])) return false;
  }
  options.linearTolerance = values[0];
  options.angularTolerance = values[1];
  options.thirdTolerance = values[2];
  return true;
}

}  // namespace

bool parseConvertOptions(const std::vector<std::string>& args, ConvertOptions& options, std::string& error) {
  std::vector<std::string> positional;
  std::string exportOptionGiven;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-h" || arg == "--help") {
      options.help = true;
      continue;
    }
    if (arg == "--") {
      positional.insert(positional.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
      break;
    }
    if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      if (arg.size() > 1 && arg[0] == '-') {
        error = "unknown option '" + arg + "'";
        return false;
      }
      positional.push_back(arg);
      continue;
    }
    // --name=value or --name value
    std::string name = arg;
    std::string value;
    bool hasValue = false;
    const size_t eq = arg.find('=');
    if (eq != std::string::npos) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
      hasValue = true;
    }
    static const char* const kWithValue[] = {"--units",        "--tolerances",  "--created-using",
                                             "--created-from", "--created-on",  "--created-by",
                                             "--name",         "--report-json", "--to"};
    bool known = false;
    for (const char* candidate : kWithValue) known = known || name == candidate;
    if (!known) {
      // Every option of the simulator export, spelled as kalo-export spells it.
      const kalo_toolkit::sim::ExportOption* entry =
          name.find('_') == std::string::npos ? kalo_toolkit::sim::findExportOption(name.substr(2)) : nullptr;
      if (!entry) {
        error = "unknown option '" + name + "'";
        return false;
      }
      if (!hasValue && entry->kind != kalo_toolkit::sim::OptionKind::Flag) {
        if (i + 1 >= args.size()) {
          error = "option '" + name + "' needs a value";
          return false;
        }
        value = args[++i];
      }
      if (!kalo_toolkit::sim::setExportOption(&options.exportOptions, name.substr(2), value, &error))
        return false;
      exportOptionGiven = name;
      continue;
    }
    if (!hasValue) {
      if (i + 1 >= args.size()) {
        error = "option '" + name + "' needs a value";
        return false;
      }
      value = args[++i];
    }

    if (name == "--units") {
      std::string mass, length;
      if (!splitPair(value, mass, length)) {
        error = "--units expects MASS,LENGTH (for example kg,m), not '" + value + "'";
        return false;
      }
      const KalotMassUnit m = kalo_toolkit::util::fromStrToMassUnit(mass);
      const KalotLengthUnit l = kalo_toolkit::util::fromStrToLengthUnit(length);
      if (m == static_cast<KalotMassUnit>(-1)) {
        error = "unknown mass unit '" + mass + "' (kg, g, mg, lbm, oz, slug)";
        return false;
      }
      if (l == static_cast<KalotLengthUnit>(-1)) {
        error = "unknown length unit '" + length + "' (m, cm, mm, km, in, ft, mi, yd)";
        return false;
      }
      options.massUnit = m;
      options.lengthUnit = l;
    } else if (name == "--tolerances") {
      if (!parseTolerances(value, options)) {
        error = "--tolerances expects LINEAR,ANGULAR[,THIRD] as non-negative numbers, not '" + value + "'";
        return false;
      }
    } else if (name == "--created-using") {
      options.createdUsing = value;
    } else if (name == "--created-from") {
      options.createdFrom = value;
    } else if (name == "--created-on") {
      options.createdOn = value;
    } else if (name == "--created-by") {
      options.createdBy = value;
    } else if (name == "--name") {
      if (value.empty()) {
        error = "--name must not be empty";
        return false;
      }
      options.modelName = value;
    } else if (name == "--to") {
      options.toPage = value == "html";
      if (!options.toPage && !kalo_toolkit::sim::formatFromName(value, &options.simulatorFormat)) {
        error = "--to takes mjcf, sdf, urdf or html, not '" + value + "'";
        return false;
      }
      options.toSimulator = true;
    } else {
      if (value.empty()) {
        error = "--report-json needs a file name";
        return false;
      }
      options.reportJson = value;
    }
  }
  if (options.help) return true;
  // An output named .mjcf, .sdf or .urdf says the format: a multibody file never goes under such a name.
  if (!options.toSimulator && positional.size() == 2 &&
      kalo_tools::simulatorFormatOfName(positional[1], &options.simulatorFormat))
    options.toSimulator = true;
  if (!exportOptionGiven.empty() && !options.toSimulator) {
    error = "option '" + exportOptionGiven + "' applies only with --to";
    return false;
  }
  if (positional.size() != 2) {
    error = positional.size() < 2 ? "expected an input CAD XML file and an output file"
                                  : "too many arguments ('" + positional[2] + "')";
    return false;
  }
  options.input = positional[0];
  options.output = positional[1];
  return true;
}

std::string outputFormatName(const ConvertOptions& options) {
  return options.toPage ? std::string("html") : kalo_toolkit::sim::formatName(options.simulatorFormat);
}

std::string convertUsage() {
  return "usage: kalo-convert [options] INPUT.xml OUTPUT\n"
         "\n"
         "Converts a CAD XML file (an assembly written by the CAD XML writer) into a\n"
         "multibody XML file: rigid parts become bodies, flexible sub-assemblies\n"
         "subsystems, and every constrained pair of parts one joint. Pairs whose\n"
         "constraints cannot be turned into a joint are welded; their report is printed.\n"
         "\n"
         "Options:\n"
         "  --units MASS,LENGTH      units of the CAD data (default kg,m)\n"
         "                           mass: kg g mg lbm oz slug; length: m cm mm km in ft mi yd\n"
         "  --tolerances LIN,ANG[,THIRD]\n"
         "                           converter tolerances (default 1e-05,1e-05,1e-12)\n"
         "  --name TEXT              model name (default: the top definition's name)\n"
         "  --created-using TEXT     model attribute (default kalo-convert)\n"
         "  --created-from TEXT      model attribute (default: INPUT as given)\n"
         "  --created-on TEXT        model attribute (default empty)\n"
         "  --created-by TEXT        model attribute (default empty)\n"
         "  --report-json FILE       also write a machine-readable conversion report\n"
         "  --to mjcf|sdf|urdf       write OUTPUT as a simulator model (MuJoCo MJCF, SDFormat\n"
         "                           1.9 or URDF) instead of a multibody XML file, with the\n"
         "                           conventions and report lines of kalo-export (see its --help)\n"
         "  --to html                write OUTPUT as the model page of kalo-view instead\n"
         "  -h, --help               show this text\n"
         "  --version                show the version\n"
         "\n"
         "With --to, every option of kalo-export's simulator export applies:\n" +
         kalo_toolkit::sim::exportOptionsUsage() +
         "\n"
         "The CAD XML file carries no node IDs; each placed reference gets one from its\n"
         "path (/Model/SubAssembly/Part).\n"
         "\n"
         "Files: an OUTPUT named .mjcf, .sdf or .urdf is written in that format, as if\n"
         "--to were given; one named for another format than the one written (a URDF\n"
         "into x.sdf, anything into x.html) is refused; .xml takes any. OUTPUT (or the JSON\n"
         "report) that is INPUT, also through a link, is refused; a directory as OUTPUT\n"
         "fails with \"is a directory\". A multibody or simulator file given as INPUT is\n"
         "refused with a hint naming the tool that reads it.\n"
         "\n"
         "Exit status: 0 written (welded pairs included), 1 unreadable input or failed\n"
         "write, 2 bad command line or an output that would overwrite the input, 3 written\n"
         "but a --verify check failed.\n";
}

}  // namespace kalo_convert
