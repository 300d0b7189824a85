#pragma once

// The Pythonic way to files: kaloimport.read(path, simplify=0) returns the model
// or raises, ZoltModel.write(path) raises on failure; both take os.PathLike and
// release the interpreter lock while the file is read or written.

#include <string>

#include <pybind11/pybind11.h>

namespace kaloimport_py {

namespace py = pybind11;

/// Adds ReadError, WriteError, read() and ZoltModel.write to the module (after the classes).
void defineModelFiles(py::module_& module);

/// The text of a failed read, as the tools print it: "'PATH' line L, column C: ... (XML Read error)",
/// "'PATH': reason (...)", or without a reason "'PATH' is not a readable <what> (...)".
std::string readFailureText(const std::string& path, const std::string& reason, int error, const char* what);

/// The simplification option 0..3 from a Python int; TypeError or ValueError naming `name` otherwise.
int simplifyOption(py::handle value, const char* name);

}  // namespace kaloimport_py
