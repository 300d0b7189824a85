#include "conversion_functions.hpp"

#include <cctype>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <string>

#include <kalo_toolkit/cad2zolt.hpp>
#include <kalo_toolkit/cad_model.hpp>
#include <kalo_toolkit/cad_unit.hpp>
#include <kalo_toolkit/enum_text.hpp>
#include <kalo_toolkit/mechanism_simplifier.hpp>
#include <kalo_toolkit/sim_export.hpp>
#include <kalo_toolkit/sim_options.hpp>
#include <kalo_toolkit/sim_verify.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "host_values.hpp"
#include "model_files.hpp"
#include "page_writer.hpp"
#include "path_arguments.hpp"
#include "python_errors.hpp"
#include "reference_node_ids.hpp"
#include "step_input.hpp"

namespace kaloimport_py {
namespace {

using namespace kalo_toolkit;

PyObject* g_conversionError = nullptr;

[[noreturn]] void raiseConversionError(int code, const std::string& message) {
  raiseError(g_conversionError, message, "code", py::int_(code));
}

/// A verified export whose file is written but fails a MuJoCo check: the failed checks are the text.
[[noreturn]] void raiseCheckFailure(const sim::ExportResult& result, const std::string& output) {
  std::string failed;
  for (const std::string& line : result.report)
    if (line.rfind("verify FAILED: ", 0) == 0) failed += (failed.empty() ? "" : "\n") + line;
  raiseConversionError(result.code, "'" + output + "' is written but fails the MuJoCo checks:\n" + failed);
}

/// Runs one toolkit operation without the interpreter lock: it must touch no
/// Python object. What it throws becomes a ConversionError once the lock is back.
template <typename Operation>
void unlocked(const char* what, Operation operation) {
  std::string failure;
  {
    py::gil_scoped_release released;
    try {
      operation();
    } catch (const std::bad_alloc&) {
      failure = "out of memory";
    } catch (const std::exception& e) {
      failure = e.what();
    }
  }
  if (!failure.empty())
    raiseConversionError(KALOT_GENERIC_FAILURE, std::string(what) + " failed: " + failure);
}

/// The default CAD unit system, process-wide in the toolkit and read by every
/// conversion, held for one conversion: conversions with the same units run side
/// by side, one with other units waits until the running ones are done.
class UnitsForConversion {
 public:
  UnitsForConversion(KalotMassUnit mass, KalotLengthUnit length) {
    std::unique_lock<std::mutex> lock(mutex());
    State& s = state();
    condition().wait(lock, [&] { return s.running == 0 || (s.mass == mass && s.length == length); });
    if (s.running++ == 0) {
      s.mass = mass;
      s.length = length;
      s.previousMass = s_getDefaultCadUnit()->massUnit;
      s.previousLength = s_getDefaultCadUnit()->lengthUnit;
      s_getDefaultCadUnit()->set(mass, length);
    }
  }
  ~UnitsForConversion() {
    std::lock_guard<std::mutex> lock(mutex());
    State& s = state();
    if (--s.running == 0) {
      s_getDefaultCadUnit()->set(s.previousMass, s.previousLength);
      condition().notify_all();
    }
  }
  UnitsForConversion(const UnitsForConversion&) = delete;
  UnitsForConversion& operator=(const UnitsForConversion&) = delete;

 private:
  struct State {
    int running = 0;
    KalotMassUnit mass = KALOT_MASS_KG;  ///< the running conversions' units
    KalotLengthUnit length = KALOT_LENGTH_M;
    KalotMassUnit previousMass = KALOT_MASS_KG;  ///< the units before the first of them
    KalotLengthUnit previousLength = KALOT_LENGTH_M;
  };
  static std::mutex& mutex() {
    static std::mutex m;
    return m;
  }
  static std::condition_variable& condition() {
    static std::condition_variable c;
    return c;
  }
  static State& state() {
    static State s;
    return s;
  }
};

/// kalo-convert's own options beyond the export's, as convert()'s keywords.
struct ConvertSettings {
  KalotMassUnit mass = KALOT_MASS_KG;
  KalotLengthUnit length = KALOT_LENGTH_M;
  double tolerances[3] = {1e-5, 1e-5, 1e-12};
  std::string name;  ///< empty: the top definition's name
  std::string createdUsing = "kaloimport";
  std::string createdFrom;  ///< empty: the input path
  std::string createdOn;
  std::string createdBy;
};

void readUnits(py::handle units, ConvertSettings& settings) {
  if (PyUnicode_Check(units.ptr()) || !py::isinstance<py::sequence>(units) || py::len(units) != 2) {
    throw py::type_error(
        "units must be a pair of texts (mass unit, length unit), for example (\"kg\", \"m\")");
  }
  const py::sequence pair = py::reinterpret_borrow<py::sequence>(units);
  if (!py::isinstance<py::str>(pair[0]) || !py::isinstance<py::str>(pair[1])) {
    throw py::type_error("units must be a pair of texts (mass unit, length unit)");
  }
  const std::string massText = pair[0].cast<std::string>();
  const std::string lengthText = pair[1].cast<std::string>();
  settings.mass = util::fromStrToMassUnit(massText);
  settings.length = util::fromStrToLengthUnit(lengthText);
  if (settings.mass == static_cast<KalotMassUnit>(-1))
    throw py::value_error("unknown mass unit '" + massText + "' (kg, g, mg, lbm, oz, slug)");
  if (settings.length == static_cast<KalotLengthUnit>(-1))
    throw py::value_error("unknown length unit '" + lengthText + "' (m, cm, mm, km, in, ft, mi, yd)");
}

void readTolerances(py::handle value, ConvertSettings& settings) {
  if (value.is_none()) return;
  const char* shape = "tolerances must be 2 or 3 non-negative numbers (linear, angular[, third])";
  if (PyUnicode_Check(value.ptr()) || !py::isinstance<py::sequence>(value)) throw py::type_error(shape);
  const py::sequence values = py::reinterpret_borrow<py::sequence>(value);
  if (py::len(values) < 2 || py::len(values) > 3) throw py::value_error(shape);
  for (size_t i = 0; i < py::len(values); ++i) {
    const py::handle item = values[i];
    if (PyBool_Check(item.ptr()) || !(PyLong_Check(item.ptr()) || PyFloat_Check(item.ptr())))
      throw py::type_error(shape);
    const double number = item.cast<double>();
    if (!std::isfinite(number) || number < 0) throw py::value_error(shape);
    settings.tolerances[i] = number;
  }
}

std::string textOption(py::handle value, const char* name) {
  if (!PyUnicode_Check(value.ptr()))
    throw py::type_error(std::string(name) + " must be str, not " + Py_TYPE(value.ptr())->tp_name);
  return value.cast<std::string>();
}

/// Keyword options of export(), read through the same table as the tools' command lines:
/// `mesh_dir="m"` is `--mesh-dir m`. Flags take bools, numbers int or float, paths str or
/// os.PathLike; `joints` also takes a dict (the settings file's content).
sim::ExportOptions exportOptions(const std::string& to, const py::kwargs& kwargs,
                                 const char* function = "export") {
  sim::ExportOptions options;
  if (!sim::formatFromName(to, &options.format)) {
    throw py::value_error("unknown simulator format '" + to + "' (mjcf, sdf, urdf)");
  }
  for (const auto& item : kwargs) {
    const std::string key = py::str(item.first).cast<std::string>();
    const sim::ExportOption* entry =
        key.find('-') == std::string::npos ? sim::findExportOption(key) : nullptr;
    if (!entry)
      throw py::type_error(std::string(function) + "() got an unexpected keyword argument '" + key + "'");
    const py::handle value = item.second;
    const std::string typeName = Py_TYPE(value.ptr())->tp_name;
    std::string text;
    if (entry->kind == sim::OptionKind::Flag) {
      if (!PyBool_Check(value.ptr())) throw py::type_error(key + " must be bool, not " + typeName);
      text = value.ptr() == Py_True ? "true" : "false";
    } else if (entry->kind == sim::OptionKind::Number) {
      if (PyBool_Check(value.ptr()) || !(PyLong_Check(value.ptr()) || PyFloat_Check(value.ptr())))
        throw py::type_error(key + " must be int or float, not " + typeName);
      text = py::repr(value).cast<std::string>();
    } else if ((key == "joints" || key == "settings") && PyDict_Check(value.ptr())) {
      options.settingsText = py::module_::import("json").attr("dumps")(value).cast<std::string>();
      continue;
    } else if (key == "joints" || key == "settings" || key == "mesh_dir") {
      text = pathText(value, key.c_str());
    } else if (key == "simplify") {
      if (PyBool_Check(value.ptr()) || !PyLong_Check(value.ptr()))
        throw py::type_error(key + " must be int, not " + typeName);
      text = py::repr(value).cast<std::string>();
    } else {
      if (!PyUnicode_Check(value.ptr())) throw py::type_error(key + " must be str, not " + typeName);
      text = value.cast<std::string>();
    }
    std::string error;
    if (!sim::setExportOption(&options, key, text, &error)) {
      // The table's text names the command-line spelling; Python users wrote the keyword.
      const std::string option = "--" + entry->name;
      if (error.compare(0, option.size(), option) == 0) error = key + error.substr(option.size());
      throw py::value_error(error);
    }
  }
  return options;
}

std::vector<std::string> exportModel(py::handle modelPath, py::handle outPath, const std::string& to,
                                     const py::kwargs& kwargs) {
  const std::string input = pathText(modelPath, "model_path");
  const std::string output = pathText(outPath, "out_path");
  const sim::ExportOptions options = exportOptions(to, kwargs);
  sim::ExportResult result;
  boost::shared_ptr<ZoltModel> model;
  KalotError readError = KALOT_SUCCESS;
  std::string reason;
  unlocked("export", [&] {
    model = ZoltModel::readFromXML(&readError, input,
                                   static_cast<MechanismSimplifier::Option>(options.simplify), &reason);
    if (model) result = sim::exportChecked(*model, output, options);
  });
  if (!model) {
    raiseConversionError(readError, readFailureText(input, reason, readError, "multibody XML file"));
  }
  if (result.code == sim::kCheckFailed) raiseCheckFailure(result, output);
  if (result.code != 0) raiseConversionError(result.code, result.error);
  return result.report;
}

/// convert(): the CAD XML file into a multibody XML file, or with `to` straight
/// into a simulator file. Returns the report: the welded pairs, then with `to`
/// the export's report lines.
std::string convert(py::handle cadXmlPath, py::handle outPath, py::handle units, py::handle to,
                    py::handle tolerances, py::handle name, py::handle createdUsing, py::handle createdFrom,
                    py::handle createdOn, py::handle createdBy, const py::kwargs& kwargs) {
  const std::string input = pathText(cadXmlPath, "cad_xml_path");
  const std::string output = pathText(outPath, "out_path");
  ConvertSettings settings;
  readUnits(units, settings);
  readTolerances(tolerances, settings);
  if (!name.is_none()) settings.name = textOption(name, "name");
  if (settings.name.empty() && !name.is_none()) throw py::value_error("name must not be empty");
  settings.createdUsing = textOption(createdUsing, "created_using");
  if (!createdFrom.is_none()) settings.createdFrom = pathText(createdFrom, "created_from");
  settings.createdOn = textOption(createdOn, "created_on");
  settings.createdBy = textOption(createdBy, "created_by");
  const bool simulator = !to.is_none();
  // A STEP file goes through the STEP import, which takes its own three options with or without `to`.
  const bool stepInput = kalo_convert::isStepFile(input);
  kalo_convert::StepArgs stepArgs;
  py::kwargs rest;
  for (const auto& item : kwargs) {
    const std::string key = py::str(item.first).cast<std::string>();
    if (stepInput && (key == "settings" || key == "mesh_dir" || key == "mates_out"))
      (key == "settings"   ? stepArgs.settings
       : key == "mesh_dir" ? stepArgs.meshDir
                           : stepArgs.matesOut) = pathText(item.second, key.c_str());
    else
      rest[item.first] = item.second;
  }
  if (!simulator && rest.size() != 0) {
    const std::string key = py::str(rest.begin()->first).cast<std::string>();
    if (sim::findExportOption(key) != nullptr && key.find('-') == std::string::npos)
      throw py::type_error("convert() option '" + key + "' applies only with to=");
    throw py::type_error("convert() got an unexpected keyword argument '" + key + "'");
  }
  sim::ExportOptions options;
  if (simulator) options = exportOptions(textOption(to, "to"), rest, "convert");
  // The STEP file's geometry names point at its meshes themselves; the export adds no folder.
  if (simulator && stepInput) options.settingsFile = stepArgs.settings;
  std::string stepReport, stepError;

  boost::shared_ptr<CadModel> top;
  KalotError readError = KALOT_SUCCESS;
  int result = KALOT_SUCCESS;
  std::string report;
  sim::ExportResult exported;
  std::string reason;
  unlocked("conversion", [&] {
    if (stepInput) {
      kalo_convert::ConvertOptions step;
      step.input = input;
      step.output = output;
      top = kalo_convert::importStepInput(stepArgs, step, stepReport, stepError);
      settings.mass = step.massUnit;
      settings.length = step.lengthUnit;
    } else {
      top = CadModel::readContentFromXML(&readError, input, &reason);
    }
    if (!top) return;
    // The file carries no node IDs: each placed reference gets its path from the top.
    const std::string model = !settings.name.empty()    ? settings.name
                              : !top->getName().empty() ? top->getName()
                                                        : std::string("Model");
    kalo_convert::assignReferenceNodeIDs(top, model);
    const UnitsForConversion scope(settings.mass, settings.length);
    Cad2Zolt converter(top, settings.createdUsing,
                       settings.createdFrom.empty() ? input : settings.createdFrom, settings.createdOn,
                       settings.createdBy, model);
    converter.setTolerances(settings.tolerances[0], settings.tolerances[1], settings.tolerances[2]);
    if (!simulator) {
      result = converter.writeToXML(report, output);
      return;
    }
    result = converter.convertToZoltModel();
    if (result != KALOT_SUCCESS) return;
    // As export() does while reading a multibody file, so both routes give one model.
    if (options.simplify != MechanismSimplifier::None)
      MechanismSimplifier(converter.getZoltModel()->getTopSubsystem(),
                          static_cast<MechanismSimplifier::Option>(options.simplify));
    exported = sim::exportChecked(*converter.getZoltModel(), output, options);
    report = converter.getConversionMessage();
    for (const std::string& line : exported.report) report += line + "\n";
  });
  if (!top && stepInput) raiseConversionError(KALOT_XML_READ_ERROR, stepError);
  if (!top) {
    raiseConversionError(readError, readFailureText(input, reason, readError, "CAD XML file"));
  }
  report = stepReport + report;
  if (simulator && result != KALOT_SUCCESS) {
    raiseConversionError(result, "cannot convert '" + input + "' (" +
                                     util::fromErrorToStr(static_cast<KalotError>(result)) + ")");
  }
  if (simulator && exported.code == sim::kCheckFailed) raiseCheckFailure(exported, output);
  if (simulator && exported.code != 0) raiseConversionError(exported.code, exported.error);
  if (result != KALOT_SUCCESS && result != KALOT_UNHANDLED_CONSTRAINT) {
    raiseConversionError(result, "cannot write '" + output + "' (" +
                                     util::fromErrorToStr(static_cast<KalotError>(result)) + ")");
  }
  return report;
}

/// The export's options as Python keywords, from the same table as the tools' usage:
/// "  mesh_dir=DIR     ...", a flag as "name=True", option names in the help as keywords.
std::string exportKeywordsText() {
  constexpr size_t kColumn = 26;
  const auto keyword = [](std::string name) {
    for (char& c : name)
      if (c == '-') c = '_';
    return name;
  };
  std::string text;
  for (const sim::ExportOption& entry : sim::exportOptionTable()) {
    std::string head = "  " + keyword(entry.name) + "=" +
                       (entry.kind == sim::OptionKind::Flag ? std::string("True")
                        : entry.name == "joints"            ? "FILE or dict"
                                                            : entry.valueName);
    text += head + (head.size() + 1 >= kColumn ? "\n" + std::string(kColumn, ' ')
                                               : std::string(kColumn - head.size(), ' '));
    std::string help = entry.help;
    for (size_t at = help.find("--"); at != std::string::npos; at = help.find("--", at)) {
      size_t end = at + 2;
      while (end < help.size() && (std::isalnum(static_cast<unsigned char>(help[end])) || help[end] == '-'))
        ++end;
      const std::string name = keyword(help.substr(at + 2, end - at - 2));
      help.replace(at, end - at, name);
      at += name.size();
    }
    // Texts written for the command line, said as Python sees them.
    for (const auto& [tool, python] :
         {std::pair<std::string, std::string>{"see below", "see kalo-export --help"},
          {"exit 3 when", "ConversionError with code 3 when"}}) {
      const size_t at = help.find(tool);
      if (at != std::string::npos) help.replace(at, tool.size(), python);
    }
    for (size_t at = help.find('\n'); at != std::string::npos; at = help.find('\n', at + 1))
      help.insert(at + 1, std::string(kColumn, ' '));
    text += help + "\n";
  }
  return text;
}

std::vector<std::string> viewModel(py::handle modelPath, py::handle outPath, const py::kwargs& kwargs) {
  const std::string input = pathText(modelPath, "model_path");
  const std::string output = pathText(outPath, "out_path");
  // The page takes the export's mesh, simplify and joints options, read by the same table.
  const sim::ExportOptions options = exportOptions("mjcf", kwargs, "view");
  boost::shared_ptr<ZoltModel> model;
  KalotError readError = KALOT_SUCCESS;
  std::string reason;
  kalo_view::PageResult result;
  unlocked("view", [&] {
    model = ZoltModel::readFromXML(&readError, input,
                                   static_cast<MechanismSimplifier::Option>(options.simplify), &reason);
    if (model)
      result = kalo_view::writePage(
          *model, {options.meshDir, options.meshScale, options.settingsFile, {}, options.settingsText, {}},
          output);
  });
  if (!model) {
    raiseConversionError(readError, readFailureText(input, reason, readError, "multibody XML file"));
  }
  if (result.code != 0) raiseConversionError(result.code, result.error);
  return result.report;
}

}  // namespace

void defineConversionFunctions(py::module_& module) {
  g_conversionError =
      defineError(module, "ConversionError",
                  "A conversion or export that wrote no file: .code is the error code (3: the "
                  "input cannot be read, or convert() cannot write; 1: export() cannot write "
                  "or represent the model; 2: export()'s settings do not fit the model), .message "
                  "its text. Also export(verify=True) whose file is written but fails a MuJoCo "
                  "check: .code 3, .message the failed checks.");

  module.def(
      "convert",
      [](py::handle cadXmlPath, py::handle outPath, py::handle units, py::handle to, py::handle tolerances,
         py::handle name, py::handle createdUsing, py::handle createdFrom, py::handle createdOn,
         py::handle createdBy, const py::kwargs& kwargs) {
        return localText(convert(cadXmlPath, outPath, units, to, tolerances, name, createdUsing, createdFrom,
                                 createdOn, createdBy, kwargs));
      },
      py::arg("cad_xml_path"), py::arg("out_path"), py::arg("units") = py::make_tuple("kg", "m"),
      py::kw_only(), py::arg("to") = py::none(), py::arg("tolerances") = py::none(),
      py::arg("name") = py::none(), py::arg("created_using") = "kaloimport",
      py::arg("created_from") = py::none(), py::arg("created_on") = "", py::arg("created_by") = "",
      ("convert(cad_xml_path, out_path, units=('kg', 'm'), *, to=None, tolerances=None, name=None, "
       "created_using='kaloimport', created_from=None, created_on='', created_by='', **options)\n--\n\n"
       "Converts a CAD XML file into a multibody XML file, as kalo-convert does: every\n"
       "constrained pair of parts gets one joint, pairs that cannot become one are welded.\n"
       "Paths are str or os.PathLike. Keywords are kalo-convert's options:\n"
       "  units          the CAD data's (mass unit, length unit); mass: kg g mg lbm oz slug,\n"
       "                 length: m cm mm km in ft mi yd\n"
       "  tolerances     (linear, angular[, third]) of the converter, default (1e-05, 1e-05, 1e-12)\n"
       "  name           the model's name (default: the top definition's name)\n"
       "  created_using, created_from (default: cad_xml_path), created_on, created_by:\n"
       "                 the model's creation notes\n"
       "  to             \"mjcf\", \"sdf\" or \"urdf\": write out_path as that simulator model\n"
       "                 instead, with every option of export() as a further keyword\n"
       "                 (mesh_dir=..., mesh_scale=..., ...); these apply only with to.\n"
       "                 simplify restructures the converted model before it is written,\n"
       "                 as export() does while reading a multibody file.\n"
       "A STEP file (.step, .stp) is read through the STEP import where the build has it:\n"
       "units come from the file, and with or without to it takes kalo-convert's STEP\n"
       "options: settings (the project's settings file), mesh_dir (where the STL meshes\n"
       "go; default beside out_path) and mates_out (the joined pairs in the settings'\n"
       "syntax).\n"
       "Returns the report text: the welded pairs (empty when none was welded), then with\n"
       "to the export's report lines. Raises ConversionError when the input cannot be read\n"
       "or the output cannot be written (.code 3), ValueError for an unknown unit, format\n"
       "or option value, TypeError for an unknown option or a value of the wrong type.\n"
       "Other Python threads run during the conversion."));

  module.def(
      "export",
      [](py::handle modelPath, py::handle outPath, const std::string& to, const py::kwargs& kwargs) {
        py::list lines;
        for (const std::string& line : exportModel(modelPath, outPath, to, kwargs))
          lines.append(localText(line));
        return lines;
      },
      py::arg("model_path"), py::arg("out_path"), py::arg("to") = "mjcf",
      ("export(model_path, out_path, to='mjcf', **options)\n--\n\n"
       "Writes a multibody XML file as a simulator model: to is \"mjcf\" (MuJoCo), \"sdf\"\n"
       "(SDFormat 1.9) or \"urdf\". Everything is converted to SI units. Returns the\n"
       "export report, one line per lossy or corrected step. Raises ConversionError when\n"
       "the model cannot be read or the file cannot be written (nothing is left behind),\n"
       "or with verify=True when a MuJoCo check fails (code 3; the file is written),\n"
       "ValueError for an unknown format or option value, TypeError for an unknown option.\n"
       "Paths are str or os.PathLike. Other Python threads run during the export.\n\n"
       "options are kalo-export's, as keywords (its --mesh-dir DIR is mesh_dir=DIR, a flag\n"
       "is True or False, joints also takes the settings as a dict):\n" +
       exportKeywordsText())
          .c_str());

  module.def(
      "view",
      [](py::handle modelPath, py::handle outPath, const py::kwargs& kwargs) {
        py::list lines;
        for (const std::string& line : viewModel(modelPath, outPath, kwargs)) lines.append(localText(line));
        return lines;
      },
      py::arg("model_path"), py::arg("out_path"),
      "view(model_path, out_path, mesh_dir=..., mesh_scale=..., simplify=..., joints=...) -> list[str]\n\n"
      "Writes the model page, as kalo-view does: one HTML file that opens from disk and shows\n"
      "the model in 3-D with a slider per joint freedom, its kinematic tree, the mass-property\n"
      "audit and the export report. Returns the report lines. Raises ConversionError when the\n"
      "model cannot be read or the page cannot be written.");
}

}  // namespace kaloimport_py
