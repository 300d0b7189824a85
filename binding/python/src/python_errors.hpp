#pragma once

// The module's own exception classes: RuntimeError subclasses whose
// instances carry the text as .message and one more attribute.

#include <string>

#include <pybind11/pybind11.h>

namespace kaloimport_py {

namespace py = pybind11;

/// Creates kaloimport.<name> (a RuntimeError) and adds it to the module.
PyObject* defineError(py::module_& module, const char* name, const char* doc);

/// Raises `type` with `message` (host text, local encoding), .message and .<attribute> = value.
[[noreturn]] void raiseError(PyObject* type, const std::string& message, const char* attribute,
                             const py::object& value);

}  // namespace kaloimport_py
