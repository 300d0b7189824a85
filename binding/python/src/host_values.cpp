#include "host_values.hpp"

#include <climits>
#include <cstring>

#include <pybind11/numpy.h>

#include <qcos_host/qcos.hpp>

#include "host_object.hpp"

namespace kaloimport_py {
namespace {

enum class Kind { Real, Int32, UInt32, Logical, Text, Vector, Matrix, Object, Unknown };

Kind kindOf(const std::string& kind) {
  if (kind == "double scalar") return Kind::Real;
  if (kind == "int32 scalar") return Kind::Int32;
  if (kind == "uint32 scalar") return Kind::UInt32;
  if (kind == "logical scalar") return Kind::Logical;
  if (kind == "char vector") return Kind::Text;
  if (kind == "double vector") return Kind::Vector;
  if (kind == "double matrix") return Kind::Matrix;
  if (kind.find('.') != std::string::npos) return Kind::Object;
  return Kind::Unknown;
}

/// Imported once; kept for the life of the process.
py::handle imported(const char* module, const char* name) {
  return py::object(py::module_::import(module).attr(name)).release();
}

py::handle numbersReal() {
  static const py::handle type = imported("numbers", "Real");
  return type;
}

py::handle numbersIntegral() {
  static const py::handle type = imported("numbers", "Integral");
  return type;
}

py::handle numpyBool() {
  static const py::handle type = imported("numpy", "bool_");
  return type;
}

bool isInstance(py::handle value, py::handle type) {
  const int answer = PyObject_IsInstance(value.ptr(), type.ptr());
  if (answer < 0) PyErr_Clear();
  return answer == 1;
}

bool isBool(py::handle value) { return PyBool_Check(value.ptr()) || isInstance(value, numpyBool()); }

std::string typeName(py::handle value) { return Py_TYPE(value.ptr())->tp_name; }

/// The pending Python error's text; clears it.
std::string takeError() {
  py::error_already_set error;
  return error.what();
}

bool toInteger(py::handle value, long long low, long long high, const char* kindText, qcos::Value& out,
               std::string& why) {
  if (isBool(value) || !isInstance(value, numbersIntegral())) {
    why = "must be int, not " + typeName(value);
    return false;
  }
  py::object index = py::reinterpret_steal<py::object>(PyNumber_Index(value.ptr()));
  if (!index) {
    why = "cannot be read as an int: " + takeError();
    return false;
  }
  int overflow = 0;
  const long long number = PyLong_AsLongLongAndOverflow(index.ptr(), &overflow);
  if (number == -1 && PyErr_Occurred()) {
    why = "cannot be read as an int: " + takeError();
    return false;
  }
  if (overflow != 0 || number < low || number > high) {
    why = std::string("must be an int from ") + std::to_string(low) + " to " + std::to_string(high) + " (" +
          kindText + "), not " + py::str(index).cast<std::string>();
    return false;
  }
  if (low < 0) {
    out = static_cast<int32_t>(number);
  } else {
    out = static_cast<uint32_t>(number);
  }
  return true;
}

bool toText(py::handle value, qcos::Value& out, std::string& why) {
  if (!PyUnicode_Check(value.ptr())) {
    why = "must be str, not " + typeName(value);
    return false;
  }
  // The host reads text in the process's local encoding, as Python's own
  // file-name conversions do.
  py::object bytes =
      py::reinterpret_steal<py::object>(PyUnicode_EncodeLocale(value.ptr(), "surrogateescape"));
  if (!bytes) {
    why = "cannot be encoded as a file-system text: " + takeError();
    return false;
  }
  out = qcos::makeText(std::string(PyBytes_AS_STRING(bytes.ptr()), PyBytes_GET_SIZE(bytes.ptr())));
  return true;
}

bool toDoubles(py::handle value, qcos::Value& out, std::string& why) {
  if (PyUnicode_Check(value.ptr()) || PyBytes_Check(value.ptr()) || isInstance(value, numbersReal()) ||
      value.is_none() || py::isinstance<HostObject>(value)) {
    why = "must be a sequence or array of numbers, not " + typeName(value);
    return false;
  }
  py::array array;
  try {
    array = py::module_::import("numpy").attr("asarray")(value);
  } catch (py::error_already_set& e) {
    why = std::string("cannot be read as an array of numbers: ") + e.what();
    return false;
  }
  // Only numbers: numpy would also read a list of numeric texts as floats.
  const char type = array.dtype().kind();
  if (type != 'i' && type != 'u' && type != 'f') {
    why = "must hold numbers, not an array of dtype " + py::str(array.dtype()).cast<std::string>();
    return false;
  }
  if (array.ndim() != 1 && array.ndim() != 2) {
    why = "must have 1 or 2 dimensions, not " + std::to_string(array.ndim());
    return false;
  }
  using Doubles = py::array_t<double, py::array::f_style | py::array::forcecast>;
  const Doubles values = Doubles::ensure(array);
  if (!values) {
    why = "cannot be read as an array of numbers: " + takeError();
    return false;
  }
  // Host arrays run column by column: a numpy (3, 3) array's [i, j] is row i, column j.
  const size_t m = static_cast<size_t>(values.shape(0));
  const size_t n = values.ndim() == 2 ? static_cast<size_t>(values.shape(1)) : 1;
  out = qcos::makeDoubles(m, n, std::vector<double>(values.data(), values.data() + m * n));
  return true;
}

bool toObject(const std::string& kind, py::handle value, qcos::Value& out, std::string& why) {
  if (value.is_none()) {
    // None stands for an empty object, as a getter returns for an unset field:
    // a host object of the declared class without model object.
    qcosClass* cls = qcos::findClass(kind.c_str());
    if (cls == nullptr) {
      why = "the class " + kind + " is not defined";
      return false;
    }
    qcos::Array array = qcos::adoptArray(qxCreateObjectArray(cls));
    qxSetObject(array.get(), 0, qcos::createInstance(cls));
    out = array;
    return true;
  }
  if (!py::isinstance<HostObject>(value)) {
    why = "must be " + kind.substr(kind.rfind('.') + 1) + " or None, not " + typeName(value);
    return false;
  }
  const qcos::Value& held = value.cast<const HostObject&>().value;
  if (qcos::objectOf(held) == nullptr) {
    why = "is a " + typeName(value) + " that was never constructed";
    return false;
  }
  out = held;
  return true;
}

py::object doubles(const std::string& kind, const qcos::Value& value) {
  const std::vector<double> data = qcos::doublesOf(value);
  const auto [m, n] = qcos::dimensionsOf(value);
  if (kindOf(kind) == Kind::Vector || (kindOf(kind) != Kind::Matrix && (m == 1 || n == 1))) {
    py::array_t<double> vector(static_cast<py::ssize_t>(data.size()));
    std::copy(data.begin(), data.end(), vector.mutable_data());
    return std::move(vector);
  }
  py::array_t<double, py::array::f_style> matrix({static_cast<py::ssize_t>(m), static_cast<py::ssize_t>(n)});
  std::copy(data.begin(), data.end(), matrix.mutable_data());
  return std::move(matrix);
}

}  // namespace

py::str localText(const std::string& text) {
  PyObject* decoded =
      PyUnicode_DecodeLocaleAndSize(text.c_str(), static_cast<Py_ssize_t>(text.size()), "surrogateescape");
  if (decoded == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(decoded);
}

bool toHost(const std::string& kind, py::handle value, qcos::Value& out, std::string& why) {
  switch (kindOf(kind)) {
    case Kind::Real:
      if (isBool(value) || !isInstance(value, numbersReal())) {
        why = "must be float, not " + typeName(value);
        return false;
      }
      out = PyFloat_AsDouble(value.ptr());
      if (PyErr_Occurred()) {
        why = "cannot be read as a float: " + takeError();
        return false;
      }
      return true;
    case Kind::Int32:
      return toInteger(value, INT32_MIN, INT32_MAX, "an int32 scalar", out, why);
    case Kind::UInt32:
      return toInteger(value, 0, UINT32_MAX, "a uint32 scalar", out, why);
    case Kind::Logical:
      if (!isBool(value)) {
        why = "must be bool, not " + typeName(value);
        return false;
      }
      out = qcos::Logical{PyObject_IsTrue(value.ptr()) == 1};
      return true;
    case Kind::Text:
      return toText(value, out, why);
    case Kind::Vector:
    case Kind::Matrix:
      return toDoubles(value, out, why);
    case Kind::Object:
      return toObject(kind, value, out, why);
    case Kind::Unknown:
      break;
  }
  why = "the kind '" + kind + "' is unknown to the Python front-end";
  return false;
}

py::object fromHost(const std::string& kind, const qcos::Value& value) {
  if (const auto* d = std::get_if<double>(&value)) return py::float_(*d);
  if (const auto* i = std::get_if<int32_t>(&value)) return py::int_(*i);
  if (const auto* u = std::get_if<uint32_t>(&value)) return py::int_(*u);
  if (const auto* l = std::get_if<qcos::Logical>(&value)) return py::bool_(l->value);
  if (!std::get<qcos::Array>(value)) return py::none();
  const std::string cls = qcos::classNameOf(value);
  if (cls == "char") return localText(qcos::textOf(value));
  if (cls == "double") return doubles(kind, value);
  if (qcos::objectOf(value) == nullptr || heldAddress(value) == nullptr) return py::none();
  return wrap(classFor(cls), value);
}

}  // namespace kaloimport_py
