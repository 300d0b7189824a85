#pragma once

// The Python side of a host object: every instance of the package's Python
// classes holds one host object array, and through it one more owner of the
// model object.

#include <string>

#include <pybind11/pybind11.h>
#include <boost/shared_ptr.hpp>

#include <qcos_host/host.hpp>

namespace kalo_toolkit {
class ZoltBase;
}

namespace kaloimport_py {

namespace py = pybind11;

struct HostObject {
  qcos::Value value;  ///< a one-element object array; unset only before construction
};

/// Registers the hidden base of the generated classes (equality, hash, repr).
py::object defineHostObjectBase(py::module_& module);

/// The model object a host object stands for, as an address (null when the
/// holder is empty). Two host objects of one model object give the same one.
const void* heldAddress(const qcos::Value& object);

/// A new Python object of `type` (a generated class) holding `object`.
py::object wrap(py::handle type, const qcos::Value& object);
/// Initialises the C++ part of `self` (a generated class's instance) with `object`.
void adopt(py::handle self, const qcos::Value& object);

/// A new Python object of the class registered for `className` holding its own
/// host object, which holds `object` (a model object of that class).
py::object wrapModelObject(const std::string& className,
                           const boost::shared_ptr<kalo_toolkit::ZoltBase>& object);

/// The model object a Python object of the package holds; empty for anything else.
boost::shared_ptr<kalo_toolkit::ZoltBase> modelObjectOf(py::handle value);

/// Python classes of the package by full host class name.
void registerClass(const std::string& fullName, py::handle type);
py::handle classFor(const std::string& fullName);

}  // namespace kaloimport_py
