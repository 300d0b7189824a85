#include "python_errors.hpp"

#include "host_values.hpp"

namespace kaloimport_py {

PyObject* defineError(py::module_& module, const char* name, const char* doc) {
  const std::string fullName = std::string("kaloimport.") + name;
  PyObject* type = PyErr_NewExceptionWithDoc(fullName.c_str(), doc, PyExc_RuntimeError, nullptr);
  if (type == nullptr) throw py::error_already_set();
  module.attr(name) = py::handle(type);
  return type;
}

void raiseError(PyObject* type, const std::string& message, const char* attribute, const py::object& value) {
  const py::str text = localText(message);
  py::object instance = py::reinterpret_borrow<py::object>(type)(text);
  instance.attr("message") = text;
  instance.attr(attribute) = value;
  PyErr_SetObject(type, instance.ptr());
  throw py::error_already_set();
}

}  // namespace kaloimport_py
