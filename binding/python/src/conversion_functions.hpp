#pragma once

// Module-level functions beyond the host package: a CAD XML file converted
// into a multibody XML file, and that into a simulator file, without the
// command line.

#include <pybind11/pybind11.h>

namespace kaloimport_py {

namespace py = pybind11;

/// Adds ConversionError, convert() and export() to the module.
void defineConversionFunctions(py::module_& module);

}  // namespace kaloimport_py
