#include "path_arguments.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host_values.hpp"

namespace kaloimport_py {

bool isPathLike(py::handle value) {
  return !PyUnicode_Check(value.ptr()) && PyObject_HasAttrString(value.ptr(), "__fspath__") == 1;
}

std::string pathText(py::handle value, const char* name) {
  PyObject* path = PyOS_FSPath(value.ptr());
  if (path == nullptr) {
    PyErr_Clear();
    throw py::type_error(std::string(name) + " must be str or os.PathLike, not " +
                         Py_TYPE(value.ptr())->tp_name);
  }
  const py::object held = py::reinterpret_steal<py::object>(path);
  if (!PyUnicode_Check(path)) {
    throw py::type_error(std::string(name) + " must be a str path, not " + Py_TYPE(path)->tp_name);
  }
  py::object bytes = py::reinterpret_steal<py::object>(PyUnicode_EncodeLocale(path, "surrogateescape"));
  if (!bytes) throw py::error_already_set();
  std::string text(PyBytes_AS_STRING(bytes.ptr()), static_cast<size_t>(PyBytes_GET_SIZE(bytes.ptr())));
  if (text.find('\0') != std::string::npos) throw py::value_error(std::string(name) + ": embedded null byte");
  return text;
}

void raiseOSError(int error, const std::string& path) {
  const py::object exception = py::handle(PyExc_OSError)(error, std::strerror(error), localText(path));
  PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(exception.ptr())), exception.ptr());
  throw py::error_already_set();
}

int readProblem(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return errno;
  if (S_ISDIR(info.st_mode)) return EISDIR;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  ::close(fd);
  return 0;
}

int writeProblem(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return EISDIR;
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  if (::stat(folder.c_str(), &info) != 0) return errno;
  if (!S_ISDIR(info.st_mode)) return ENOTDIR;
  if (::access(folder.c_str(), W_OK) != 0) return errno;
  return 0;
}

}  // namespace kaloimport_py
