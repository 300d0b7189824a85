#pragma once

// Paths from Python: every function that takes a file name takes a str or an
// os.PathLike, converted as Python's own file functions convert it.

#include <string>

#include <pybind11/pybind11.h>

namespace kaloimport_py {

namespace py = pybind11;

/// `value` (str or os.PathLike giving a str) in the process's local encoding.
/// TypeError names the parameter and the Python type; ValueError for an
/// embedded NUL, which no file name can hold.
std::string pathText(py::handle value, const char* name);

/// Whether `value` is an os.PathLike (not a str): its path is then taken where a text is expected.
bool isPathLike(py::handle value);

/// Raises the OSError subclass Python's own open() would raise for `error` (an
/// errno value) on `path`: FileNotFoundError, IsADirectoryError, PermissionError, ...
[[noreturn]] void raiseOSError(int error, const std::string& path);

/// The errno a plain open of `path` for reading would fail with; 0 when it can be
/// opened as a file (a directory gives EISDIR).
int readProblem(const std::string& path);

/// The errno that explains why `path` cannot be written, where the operating
/// system can tell (a directory, a missing or unwritable folder); 0 otherwise.
int writeProblem(const std::string& path);

}  // namespace kaloimport_py
