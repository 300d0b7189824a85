#include "conversion_functions.hpp"

#include <string>

#include <kalo_toolkit/cad2zolt.hpp>
#include <kalo_toolkit/cad_model.hpp>
#include <kalo_toolkit/cad_unit.hpp>
#include <kalo_toolkit/enum_text.hpp>
#include <kalo_toolkit/sim_export.hpp>
#include <kalo_toolkit/sim_options.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "host_values.hpp"
#include "page_writer.hpp"
#include "python_errors.hpp"
#include "reference_node_ids.hpp"

namespace kaloimport_py {
namespace {

using namespace kalo_toolkit;

PyObject* g_conversionError = nullptr;

[[noreturn]] void raiseConversionError(int code, const std::string& message) {
  raiseError(g_conversionError, message, "code", py::int_(code));
}

/// Runs one toolkit operation; what it throws becomes a ConversionError.
template <typename Operation>
void guarded(const char* what, Operation operation) {
  try {
    operation();
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const py::error_already_set&) {
    throw;
  } catch (const std::exception& e) {
    raiseConversionError(KALOT_GENERIC_FAILURE, std::string(what) + " failed: " + e.what());
  }
}

/// A path argument (str or os.PathLike) in the local encoding the toolkit opens files with.
std::string pathText(py::handle value, const char* name) {
  py::object path;
  try {
    path = py::module_::import("os").attr("fspath")(value);
  } catch (py::error_already_set&) {
    throw py::type_error(std::string(name) + " must be a str or os.PathLike, not " +
                         Py_TYPE(value.ptr())->tp_name);
  }
  if (!PyUnicode_Check(path.ptr())) throw py::type_error(std::string(name) + " must be a str path");
  py::object bytes = py::reinterpret_steal<py::object>(PyUnicode_EncodeLocale(path.ptr(), "surrogateescape"));
  if (!bytes) throw py::error_already_set();
  return std::string(PyBytes_AS_STRING(bytes.ptr()), PyBytes_GET_SIZE(bytes.ptr()));
}

/// The process-wide default CAD unit system, set for one conversion and put back after it.
class UnitsForConversion {
 public:
  UnitsForConversion(KalotMassUnit mass, KalotLengthUnit length)
      : mass_(s_getDefaultCadUnit()->massUnit), length_(s_getDefaultCadUnit()->lengthUnit) {
    s_getDefaultCadUnit()->set(mass, length);
  }
  ~UnitsForConversion() { s_getDefaultCadUnit()->set(mass_, length_); }
  UnitsForConversion(const UnitsForConversion&) = delete;
  UnitsForConversion& operator=(const UnitsForConversion&) = delete;

 private:
  KalotMassUnit mass_;
  KalotLengthUnit length_;
};

std::string convert(py::handle cadXmlPath, py::handle outPath, py::handle units) {
  const std::string input = pathText(cadXmlPath, "cad_xml_path");
  const std::string output = pathText(outPath, "out_path");
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
  const KalotMassUnit mass = util::fromStrToMassUnit(massText);
  const KalotLengthUnit length = util::fromStrToLengthUnit(lengthText);
  if (mass == static_cast<KalotMassUnit>(-1)) throw py::value_error("unknown mass unit '" + massText + "'");
  if (length == static_cast<KalotLengthUnit>(-1))
    throw py::value_error("unknown length unit '" + lengthText + "'");

  std::string report;
  int result = KALOT_SUCCESS;
  guarded("conversion", [&] {
    KalotError readError = KALOT_SUCCESS;
    const boost::shared_ptr<CadModel> top = CadModel::readContentFromXML(&readError, input);
    if (!top) {
      raiseConversionError(readError, "'" + input + "' is not a readable CAD XML file (" +
                                          util::fromErrorToStr(readError) + ")");
    }
    // The file carries no node IDs: each placed reference gets its path from the top.
    const std::string name = top->getName().empty() ? std::string("Model") : top->getName();
    kalo_convert::assignReferenceNodeIDs(top, name);
    const UnitsForConversion scope(mass, length);
    Cad2Zolt converter(top, "kaloimport", input, "", "", name);
    result = converter.writeToXML(report, output);
  });
  if (result != KALOT_SUCCESS && result != KALOT_UNHANDLED_CONSTRAINT) {
    raiseConversionError(result, "cannot write '" + output + "' (" +
                                     util::fromErrorToStr(static_cast<KalotError>(result)) + ")");
  }
  return report;
}

/// Keyword options of export(), read through the same table as the tools' command lines:
/// `mesh_dir="m"` is `--mesh-dir m`. Flags take bools, numbers int or float, paths str or
/// os.PathLike; `joints` also takes a dict (the settings file's content).
sim::ExportOptions exportOptions(const std::string& to, const py::kwargs& kwargs) {
  sim::ExportOptions options;
  if (!sim::formatFromName(to, &options.format)) {
    throw py::value_error("unknown simulator format '" + to + "' (mjcf, sdf, urdf)");
  }
  for (const auto& item : kwargs) {
    const std::string key = py::str(item.first).cast<std::string>();
    const sim::OptionSpec* spec = key.find('-') == std::string::npos ? sim::findExportOption(key) : nullptr;
    if (!spec) throw py::type_error("export() got an unexpected keyword argument '" + key + "'");
    const py::handle value = item.second;
    const std::string typeName = Py_TYPE(value.ptr())->tp_name;
    std::string text;
    if (spec->kind == sim::OptionKind::Flag) {
      if (!PyBool_Check(value.ptr())) throw py::type_error(key + " must be a bool, not " + typeName);
      text = value.ptr() == Py_True ? "true" : "false";
    } else if (spec->kind == sim::OptionKind::Number) {
      if (PyBool_Check(value.ptr()) || !(PyLong_Check(value.ptr()) || PyFloat_Check(value.ptr())))
        throw py::type_error(key + " must be an int or float, not " + typeName);
      text = py::repr(value).cast<std::string>();
    } else if ((key == "joints" || key == "settings") && PyDict_Check(value.ptr())) {
      options.settingsText = py::module_::import("json").attr("dumps")(value).cast<std::string>();
      continue;
    } else if (key == "joints" || key == "settings" || key == "mesh_dir") {
      text = pathText(value, key.c_str());
    } else if (key == "simplify") {
      if (PyBool_Check(value.ptr()) || !PyLong_Check(value.ptr()))
        throw py::type_error(key + " must be an int, not " + typeName);
      text = py::repr(value).cast<std::string>();
    } else {
      if (!PyUnicode_Check(value.ptr())) throw py::type_error(key + " must be a str, not " + typeName);
      text = value.cast<std::string>();
    }
    std::string error;
    if (!sim::setExportOption(&options, key, text, &error)) {
      // The table's text names the command-line spelling; Python users wrote the keyword.
      const std::string option = "--" + spec->name;
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
  guarded("export", [&] {
    KalotError readError = KALOT_SUCCESS;
    const boost::shared_ptr<ZoltModel> model =
        ZoltModel::readFromXML(&readError, input, static_cast<MechanismSimplifier::Option>(options.simplify));
    if (!model) {
      raiseConversionError(readError, "'" + input + "' is not a readable multibody XML file (" +
                                          util::fromErrorToStr(readError) + ")");
    }
    result = sim::exportToFile(*model, output, options);
  });
  if (result.code != 0) raiseConversionError(result.code, result.error);
  return result.report;
}

std::vector<std::string> viewModel(py::handle modelPath, py::handle outPath, const py::kwargs& kwargs) {
  const std::string input = pathText(modelPath, "model_path");
  const std::string output = pathText(outPath, "out_path");
  // The page takes the export's mesh, simplify and joints options, read by the same table.
  const sim::ExportOptions options = exportOptions("mjcf", kwargs);
  kalo_view::PageResult result;
  guarded("view", [&] {
    KalotError readError = KALOT_SUCCESS;
    const boost::shared_ptr<ZoltModel> model =
        ZoltModel::readFromXML(&readError, input, static_cast<MechanismSimplifier::Option>(options.simplify));
    if (!model) {
      raiseConversionError(readError, "'" + input + "' is not a readable multibody XML file (" +
                                          util::fromErrorToStr(readError) + ")");
    }
    result = kalo_view::writePage(
        *model, {options.meshDir, options.meshScale, options.settingsFile, {}, options.settingsText}, output);
  });
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
                  "its text.");

  module.def(
      "convert",
      [](py::handle cadXmlPath, py::handle outPath, py::handle units) {
        return localText(convert(cadXmlPath, outPath, units));
      },
      py::arg("cad_xml_path"), py::arg("out_path"), py::arg("units") = py::make_tuple("kg", "m"),
      "convert(cad_xml_path, out_path, units=(\"kg\", \"m\")) -> str\n\n"
      "Converts a CAD XML file into a multibody XML file, as kalo-convert does: every\n"
      "constrained pair of parts gets one joint, pairs that cannot become one are welded.\n"
      "units gives the CAD data's mass and length units. Returns the report text (empty\n"
      "when no pair was welded). Raises ConversionError when the input cannot be read or\n"
      "the output cannot be written, ValueError for an unknown unit.");

  module.def(
      "export",
      [](py::handle modelPath, py::handle outPath, const std::string& to, const py::kwargs& kwargs) {
        py::list lines;
        for (const std::string& line : exportModel(modelPath, outPath, to, kwargs))
          lines.append(localText(line));
        return lines;
      },
      py::arg("model_path"), py::arg("out_path"), py::arg("to") = "mjcf",
      ("export(model_path, out_path, to=\"mjcf\", **options) -> list[str]\n\n"
       "Writes a multibody XML file as a simulator model: to is \"mjcf\" (MuJoCo), \"sdf\"\n"
       "(SDFormat 1.9) or \"urdf\". Everything is converted to SI units. Returns the\n"
       "export report, one line per lossy or corrected step. Raises ConversionError when\n"
       "the model cannot be read or the file cannot be written (nothing is left behind),\n"
       "ValueError for an unknown format or option value, TypeError for an unknown option.\n\n"
       "options are kalo-export's, as keywords (--mesh-dir DIR is mesh_dir=DIR, a flag is\n"
       "True/False):\n" +
       sim::exportOptionsUsage())
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
