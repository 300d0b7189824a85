#pragma once

// The generated methods as plain Python functions: a `def` with the parameter
// names of the method tables, so that inspect.signature, help() and keyword
// arguments work, and Python itself counts the arguments of a wrong call.

#include <string>

#include <pybind11/pybind11.h>

#include "package_registry.hpp"

namespace kaloimport_py {

namespace py = pybind11;

/// A function named after the method ("__init__" for a constructor) that passes its
/// arguments, self first where there is one, to `impl`. Forms that differ only by
/// trailing parameters share one def with those parameters optional; forms that
/// differ otherwise take the parameters they share, then *args.
py::object pythonFunction(const Class& cls, const Method& method, const py::object& impl,
                          const std::string& doc);

}  // namespace kaloimport_py
