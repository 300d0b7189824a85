// The kaloimport Python module: the host package "kaloimport" as Python
// classes, generated at import from the classes and methods the binding
// registers with the host, plus module-level conversion functions.

#include <dlfcn.h>

#include <memory>

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <kalo_qli/entry_points.h>
#include <qcos_host/host.hpp>

#include "conversion_functions.hpp"
#include "host_object.hpp"
#include "method_calls.hpp"
#include "model_files.hpp"
#include "package_registry.hpp"
#include "python_functions.hpp"
#include "signature_text.hpp"

namespace py = pybind11;
using namespace kaloimport_py;

namespace {

constexpr const char* kPackage = "kaloimport";
constexpr const char* kModule = "kalo_qli";

/// Loads the binding through the host's module loader, from where the
/// dynamic linker found it for this module (beside it in the build, through
/// the run path once installed).
void loadBinding() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&QueryQLFcnTable_kalo_qli), &info) == 0 || info.dli_fname == nullptr) {
    throw py::import_error("kaloimport: cannot locate the binding library libkalo_qli");
  }
  try {
    qcos::Host::instance().loadModule(info.dli_fname, kModule);
  } catch (const qcos::Error& e) {
    throw py::import_error(std::string("kaloimport: the host cannot load the binding: ") + e.what());
  }
}

/// The C++ side of a generated method: takes the arguments positionally, self first
/// where there is one; the Python function around it gives names and counts.
py::object implementation(const std::shared_ptr<const Method>& method) {
  if (method->role == Role::Constructor) {
    return py::cpp_function(
        [method](const py::args& args, const py::kwargs& kwargs) { construct(*method, args, kwargs); },
        py::name(method->name.c_str()));
  }
  return py::cpp_function(
      [method](const py::args& args, const py::kwargs& kwargs) { return callMethod(*method, args, kwargs); },
      py::name(method->name.c_str()));
}

py::object noConstructor(py::handle cls, const Class& info) {
  const std::string fullName = info.fullName;
  return py::cpp_function(
      [fullName](const py::args&, const py::kwargs&) {
        throw py::type_error(fullName + " has no constructor: its objects come from methods of the package");
      },
      py::name(info.shortName.c_str()), py::is_method(cls));
}

/// One Python class per host class: docstring from the class description,
/// the superclass as base, one attribute per method name.
void defineClasses(py::module_& module, py::handle root, const std::vector<Class>& classes) {
  const py::handle metaclass(reinterpret_cast<PyObject*>(Py_TYPE(root.ptr())));
  for (const Class& cls : classes) {
    py::dict attributes;
    attributes["__doc__"] = classDoc(cls);
    attributes["__module__"] = kPackage;
    attributes["__qualname__"] = cls.shortName;
    attributes["__slots__"] = py::tuple();
    const py::handle base = cls.superclass.empty() ? root : classFor(cls.superclass);
    py::object type = metaclass(cls.shortName, py::make_tuple(base), attributes);

    bool constructs = false;
    for (const Method& m : cls.methods) {
      const auto method = std::make_shared<const Method>(m);
      const std::string doc = methodDoc(cls, m);
      const py::object function = pythonFunction(cls, m, implementation(method), doc);
      switch (m.role) {
        case Role::Constructor:
          constructs = true;
          type.attr("__init__") = function;
          break;
        case Role::Instance:
          type.attr(m.name.c_str()) = function;
          break;
        case Role::Static:
          type.attr(m.name.c_str()) = py::staticmethod(function);
          break;
      }
    }
    if (!constructs) type.attr("__init__") = noConstructor(type, cls);
    registerClass(cls.fullName, type);
    module.attr(cls.shortName.c_str()) = type;
  }
}

/// The registry as plain data, for the stub generator and the tests:
/// [(full name, superclass, description, [(method, role, [(arguments, results)])])].
py::list describe(const std::vector<Class>& classes) {
  py::list out;
  for (const Class& cls : classes) {
    py::list methods;
    for (const Method& m : cls.methods) {
      py::list forms;
      for (const Form& form : m.forms) forms.append(py::make_tuple(form.owner, form.arguments, form.results));
      const char* role = m.role == Role::Constructor ? "constructor"
                         : m.role == Role::Static    ? "static"
                                                     : "instance";
      methods.append(py::make_tuple(m.name, role, forms));
    }
    out.append(py::make_tuple(cls.fullName, cls.superclass, cls.description, methods));
  }
  return out;
}

}  // namespace

PYBIND11_MODULE(kaloimport, module) {
  // Docstrings carry signatures made from the registry instead of pybind11's.
  py::options options;
  options.disable_function_signatures();

  module.doc() =
      "The host package kaloimport in Python: read, walk, change and write multibody\n"
      "models with the classes and methods a host script uses (ZoltModel, Subsystem,\n"
      "Body, Frame, Joint, ...), plus read() and ZoltModel.write(), convert() from a CAD XML file and "
      "export() to\n"
      "simulator formats.";
  module.attr("__version__") = KALOIMPORT_VERSION;
  loadBinding();
  defineHostError(module);
  const py::object root = defineHostObjectBase(module);
  const std::vector<Class> classes = readPackage(kPackage);
  defineClasses(module, root, classes);
  defineModelFiles(module);
  defineConversionFunctions(module);

  module.def(
      "_registry", [classes]() { return describe(classes); },
      "The package's classes and methods as the host lists them (for the stub generator and tests).");
  module.def(
      "_stub_text", [classes]() { return stubText(classes); }, "The .pyi text of the module.");
  module.def(
      "_live_host_objects", []() { return qcos::Host::instance().liveInstanceCount(); },
      "Host objects not yet destroyed (for lifetime checks).");
}
