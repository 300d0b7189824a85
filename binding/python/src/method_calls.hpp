#pragma once

// A Python call of a generated method: its values converted to the kinds of
// the first registered form that can take them, the call made through the
// host (which chooses the overload as for a host script), and its results
// returned as Python values.

#include <pybind11/pybind11.h>

#include <qcos_host/host.hpp>

#include "package_registry.hpp"

namespace kaloimport_py {

namespace py = pybind11;

/// Creates kaloimport.HostError (a RuntimeError with .identifier and .message).
void defineHostError(py::module_& module);

/// Runs a method with the positional arguments (self first for an instance
/// method). Returns None, the one result, or a tuple of the results.
py::object callMethod(const Method& method, const py::args& args, const py::kwargs& kwargs);

/// Runs a constructor with the arguments after `self` and makes `self` the new object.
void construct(const Method& method, const py::args& args, const py::kwargs& kwargs);

}  // namespace kaloimport_py
