#pragma once

// Python values to host values of a declared kind, and host results back to
// Python values.

#include <string>

#include <pybind11/pybind11.h>

#include <qcos_host/host.hpp>

namespace kaloimport_py {

namespace py = pybind11;

/// Converts `value` to a host value of `kind`. Returns false, with the reason
/// in `why`, when the Python value cannot become one; raises nothing else.
bool toHost(const std::string& kind, py::handle value, qcos::Value& out, std::string& why);

/// A host result of `kind` as a Python value: float, int, bool, str, numpy
/// array, an object of the package's Python classes, or None (no value, or an
/// object whose holder is empty).
py::object fromHost(const std::string& kind, const qcos::Value& value);

/// Host text (the process's local multibyte encoding) as a Python str.
py::str localText(const std::string& text);

}  // namespace kaloimport_py
