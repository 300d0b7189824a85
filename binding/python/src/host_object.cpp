#include "host_object.hpp"

#include <cstdint>
#include <functional>
#include <map>

#include <boost/shared_ptr.hpp>

#include "host_values.hpp"

namespace kaloimport_py {
namespace {

/// Python classes by host class name. Held for the life of the process: the
/// classes are module attributes anyway, and objects may be wrapped while the
/// interpreter shuts down.
std::map<std::string, PyObject*>& classes() {
  static auto* byName = new std::map<std::string, PyObject*>();
  return *byName;
}

PyObject* g_base = nullptr;

bool constructed(py::handle self) {
  auto* instance = reinterpret_cast<py::detail::instance*>(self.ptr());
  return instance->get_value_and_holder(py::detail::get_type_info(typeid(HostObject))).holder_constructed();
}

std::string nameOf(const qcos::Value& value) {
  // Every class of the package inherits getName; a failure only leaves the name out.
  try {
    const qcos::CallResult result = qcos::Host::instance().dispatch("getName", {value});
    if (!result.results.empty()) return qcos::textOf(result.results[0]);
  } catch (const std::exception&) {
  }
  return std::string();
}

}  // namespace

const void* heldAddress(const qcos::Value& object) {
  const qcosInstance* instance = qcos::objectOf(object);
  if (instance == nullptr) return nullptr;
  // The binding's instance data, under the instance's own class name, is a
  // heap shared pointer to the model object (ZoltBase is every model class's
  // first base, so the stored address is the object's for every class).
  const auto* holder = static_cast<const boost::shared_ptr<kalo_toolkit::ZoltBase>*>(
      qcos::getInstanceData(instance, qcos::instanceClassName(instance)));
  return holder ? static_cast<const void*>(holder->get()) : nullptr;
}

void adopt(py::handle self, const qcos::Value& object) {
  if (!constructed(self)) py::handle(g_base).attr("__init__")(self);
  self.cast<HostObject&>().value = object;
}

py::object wrap(py::handle type, const qcos::Value& object) {
  py::object self = type.attr("__new__")(type);
  adopt(self, object);
  return self;
}

py::object wrapModelObject(const std::string& className,
                           const boost::shared_ptr<kalo_toolkit::ZoltBase>& object) {
  qcosClass* cls = qcos::findClass(className.c_str());
  if (cls == nullptr) throw std::runtime_error("the class " + className + " is not defined");
  qcos::Array array = qcos::adoptArray(qxCreateObjectArray(cls));
  qcosInstance* instance = qcos::createInstance(cls);
  qxSetObject(array.get(), 0, instance);
  // The same holder the binding attaches: its class releases it with the instance.
  qcos::setInstanceData(instance, className.c_str(), new boost::shared_ptr<kalo_toolkit::ZoltBase>(object));
  return wrap(classFor(className), qcos::Value(array));
}

boost::shared_ptr<kalo_toolkit::ZoltBase> modelObjectOf(py::handle value) {
  if (!py::isinstance<HostObject>(value)) return {};
  const qcosInstance* instance = qcos::objectOf(value.cast<const HostObject&>().value);
  if (instance == nullptr) return {};
  const auto* holder = static_cast<const boost::shared_ptr<kalo_toolkit::ZoltBase>*>(
      qcos::getInstanceData(instance, qcos::instanceClassName(instance)));
  return holder ? *holder : boost::shared_ptr<kalo_toolkit::ZoltBase>();
}

void registerClass(const std::string& fullName, py::handle type) {
  auto& byName = classes();
  PyObject*& slot = byName[fullName];
  Py_XDECREF(slot);
  slot = type.inc_ref().ptr();
}

py::handle classFor(const std::string& fullName) {
  const auto& byName = classes();
  auto it = byName.find(fullName);
  return it != byName.end() ? py::handle(it->second) : py::handle(g_base);
}

py::object defineHostObjectBase(py::module_& module) {
  py::class_<HostObject> base(module, "_HostObject",
                              "Base of the package's classes: one host object of the binding.");
  base.def(py::init<>());
  // Handles compare by the model object they hold, not by host object: two
  // getters on one body return two host objects of the same frame.
  base.def("__eq__", [](const HostObject& self, py::handle other) -> py::object {
    if (!py::isinstance<HostObject>(other)) return py::reinterpret_borrow<py::object>(Py_NotImplemented);
    const void* mine = heldAddress(self.value);
    const void* theirs = heldAddress(other.cast<const HostObject&>().value);
    const bool same = mine != nullptr ? mine == theirs : &self == &other.cast<const HostObject&>();
    return py::bool_(same);
  });
  base.def("__hash__", [](const HostObject& self) {
    const void* held = heldAddress(self.value);
    return std::hash<const void*>()(held != nullptr ? held : static_cast<const void*>(&self));
  });
  base.def("__repr__", [](const HostObject& self) {
    if (qcos::objectOf(self.value) == nullptr)
      return std::string("<kaloimport object without a host object>");
    const std::string name = nameOf(self.value);
    std::string text = "<" + qcos::classNameOf(self.value);
    if (!name.empty()) text += " " + py::repr(localText(name)).cast<std::string>();
    return text + ">";
  });
  g_base = base.ptr();
  return std::move(base);
}

}  // namespace kaloimport_py
