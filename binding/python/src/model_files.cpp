#include "model_files.hpp"

#include <mutex>
#include <shared_mutex>
#include <string>

#include <kalo_toolkit/enum_text.hpp>
#include <kalo_toolkit/mechanism_simplifier.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "host_object.hpp"
#include "host_values.hpp"
#include "model_access.hpp"
#include "path_arguments.hpp"
#include "python_errors.hpp"

namespace kaloimport_py {
namespace {

using kalo_toolkit::MechanismSimplifier;
using kalo_toolkit::ZoltModel;

PyObject* g_readError = nullptr;
PyObject* g_writeError = nullptr;

[[noreturn]] void raiseFileError(PyObject* type, const std::string& message, int code,
                                 const std::string& path) {
  const py::str text = localText(message);
  py::object instance = py::reinterpret_borrow<py::object>(type)(text);
  instance.attr("message") = text;
  instance.attr("code") = code;
  instance.attr("path") = localText(path);
  PyErr_SetObject(type, instance.ptr());
  throw py::error_already_set();
}

py::object read(py::handle path, py::handle simplify) {
  const std::string file = pathText(path, "path");
  const auto option = static_cast<MechanismSimplifier::Option>(simplifyOption(simplify, "simplify"));
  if (const int problem = readProblem(file)) raiseOSError(problem, file);
  KalotError error = KALOT_SUCCESS;
  boost::shared_ptr<ZoltModel> model;
  std::string failure;
  std::string reason;
  {
    // A new model no Python object refers to yet: nothing shared is touched.
    py::gil_scoped_release unlocked;
    try {
      model = ZoltModel::readFromXML(&error, file, option, &reason);
    } catch (const std::exception& e) {
      failure = e.what();
    }
  }
  if (!model) {
    if (error == KALOT_SUCCESS) error = KALOT_XML_READ_ERROR;
    raiseFileError(g_readError,
                   readFailureText(file, failure.empty() ? reason : failure, error, "multibody XML file"),
                   error, file);
  }
  return wrapModelObject("kaloimport.ZoltModel", model);
}

void write(py::handle self, py::handle path) {
  const auto model = boost::dynamic_pointer_cast<ZoltModel>(modelObjectOf(self));
  if (!model) throw py::type_error("ZoltModel.write() needs a ZoltModel that holds a model");
  const std::string file = pathText(path, "path");
  int result = KALOT_SUCCESS;
  std::string failure;
  {
    // Writing only reads the model; generated calls, which may change it, wait.
    py::gil_scoped_release unlocked;
    std::shared_lock<std::shared_mutex> reading(modelAccess());
    try {
      result = model->writeToXML(file);
    } catch (const std::exception& e) {
      result = KALOT_XML_READ_ERROR;
      failure = e.what();
    }
  }
  if (result == KALOT_SUCCESS) return;
  if (const int problem = writeProblem(file)) raiseOSError(problem, file);
  std::string message = "cannot write '" + file + "' (" +
                        kalo_toolkit::util::fromErrorToStr(static_cast<KalotError>(result)) + ")";
  if (!failure.empty()) message += ": " + failure;
  raiseFileError(g_writeError, message, result, file);
}

}  // namespace

std::string readFailureText(const std::string& path, const std::string& reason, int error, const char* what) {
  const std::string code = " (" + kalo_toolkit::util::fromErrorToStr(static_cast<KalotError>(error)) + ")";
  if (reason.empty()) return "'" + path + "' is not a readable " + what + code;
  return "'" + path + "'" + (reason.rfind("line ", 0) == 0 ? " " : ": ") + reason + code;
}

std::shared_mutex& modelAccess() {
  static std::shared_mutex lock;
  return lock;
}

int simplifyOption(py::handle value, const char* name) {
  if (PyBool_Check(value.ptr()) || !PyLong_Check(value.ptr()))
    throw py::type_error(std::string(name) + " must be int, not " + Py_TYPE(value.ptr())->tp_name);
  const long option = PyLong_AsLong(value.ptr());
  if (option == -1 && PyErr_Occurred()) PyErr_Clear();
  if (option < 0 || option > 3)
    throw py::value_error(std::string(name) + " must be 0, 1, 2 or 3, not " +
                          py::repr(value).cast<std::string>());
  return static_cast<int>(option);
}

void defineModelFiles(py::module_& module) {
  g_readError = defineError(module, "ReadError",
                            "A file that exists but holds no readable model: .message says why, .code is the "
                            "reader's error code (3), .path the file.");
  g_writeError = defineError(module, "WriteError",
                             "A model that could not be written where the operating system gives no reason "
                             "(those raise OSError): .message, .code (3), .path.");
  module.def("read", &read, py::arg("path"), py::arg("simplify") = 0,
             "read(path, simplify=0)\n--\n\n"
             "Reads a multibody XML file. path is a str or os.PathLike. simplify restructures\n"
             "the model while reading it, as kalo-inspect --simplify does:\n"
             "    0  as in the file (default)\n"
             "    1  flatten the hierarchy, then gather welded bodies into rigid subsystems\n"
             "    2  gather welded bodies, keep the hierarchy\n"
             "    3  flatten the hierarchy only\n"
             "Raises FileNotFoundError (or another OSError) when the file cannot be opened,\n"
             "ReadError when it holds no readable model, TypeError/ValueError for a bad simplify.\n"
             "Other Python threads run while the file is read.");
  const py::object modelClass = py::reinterpret_borrow<py::object>(module.attr("ZoltModel"));
  modelClass.attr("write") =
      py::cpp_function(&write, py::name("write"), py::is_method(modelClass), py::arg("path"),
                       "write(self, path)\n--\n\n"
                       "Writes the model as a multibody XML file (str or os.PathLike),\n"
                       "whole or not at all. Raises OSError (IsADirectoryError,\n"
                       "FileNotFoundError for a missing folder, PermissionError) or\n"
                       "WriteError when it cannot be written. writeToXML, which returns\n"
                       "the error text instead, stays as host scripts use it.");
}

}  // namespace kaloimport_py
