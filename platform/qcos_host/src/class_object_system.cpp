// The class-object system: registration of packages, classes and methods,
// signatures, instances and their data.

#include <utility>

#include <qcos_host/host.hpp>
#include <qcos_host/qcos.hpp>

#include "registry.hpp"

namespace qcos {

Error::Error(std::string identifier, const std::string& message)
    : std::runtime_error(message), identifier_(std::move(identifier)) {}
Error::~Error() = default;

OutOfMemory::~OutOfMemory() = default;
const char* OutOfMemory::what() const noexcept { return "Out of memory"; }

MethodInfo::~MethodInfo() = default;
ClassInfo::~ClassInfo() = default;
PackageInfo::~PackageInfo() = default;

Signature* createSignature() { return new Signature(); }

void appendArgumentKind(Signature* signature, const char* kind) {
  if (signature == nullptr || kind == nullptr)
    throw Error("qcos:invalidSignature", "No signature or kind given");
  signature->arguments.emplace_back(kind);
}

void appendResultKind(Signature* signature, const char* kind) {
  if (signature == nullptr || kind == nullptr)
    throw Error("qcos:invalidSignature", "No signature or kind given");
  signature->results.emplace_back(kind);
}

void destroySignature(Signature* signature) { delete signature; }

std::vector<std::string> argumentKinds(const Signature* signature) {
  return signature ? signature->arguments : std::vector<std::string>();
}

std::vector<std::string> resultKinds(const Signature* signature) {
  return signature ? signature->results : std::vector<std::string>();
}

namespace {

void destroyPackageInfo(PackageInfo* info) {
  if (info != nullptr && info->isDestructible()) delete info;
}

void destroyClassInfo(ClassInfo* info) {
  if (info != nullptr && info->isDestructible()) delete info;
}

void destroyMethodInfo(MethodInfo* info) {
  if (info != nullptr && info->isDestructible()) delete info;
}

qcosClass& pendingFor(ClassInfo* cls) {
  if (cls == nullptr) throw Error("qcos:invalidClass", "No class given");
  auto& reg = detail::registry();
  for (const auto& c : reg.classes) {
    if (c->info == cls)
      throw Error("qcos:classDefined", "The class is already defined and cannot be changed");
  }
  auto& slot = reg.pending[cls];
  if (!slot) slot = std::make_unique<qcosClass>();
  return *slot;
}

}  // namespace

void registerPackage(PackageInfo* package) {
  if (package == nullptr) throw Error("qcos:invalidPackage", "No package given");
  auto& reg = detail::registry();
  const char* name = package->name();
  if (name == nullptr || *name == '\0') {
    destroyPackageInfo(package);
    throw Error("qcos:invalidPackage", "A package needs a name");
  }
  if (detail::findPackage(name) != nullptr) {
    const std::string text = std::string("Package '") + name + "' is already registered";
    destroyPackageInfo(package);
    throw Error("qcos:duplicatePackage", text);
  }
  auto record = std::make_unique<detail::PackageRecord>();
  record->info = package;
  record->name = name;
  record->moduleName = reg.loadingModule;
  reg.packages.push_back(std::move(record));
}

void defineClass(PackageInfo* package, ClassInfo* cls) {
  auto& reg = detail::registry();
  detail::PackageRecord* owner = nullptr;
  for (const auto& p : reg.packages) {
    if (p->info == package) owner = p.get();
  }
  std::unique_ptr<qcosClass> record;
  if (cls != nullptr) {
    auto it = reg.pending.find(cls);
    if (it != reg.pending.end()) {
      record = std::move(it->second);
      reg.pending.erase(it);
    }
  }
  auto reject = [&](const std::string& id, const std::string& text) {
    if (record) {
      for (MethodInfo* m : record->methods) destroyMethodInfo(m);
    }
    destroyClassInfo(cls);
    throw Error(id, text);
  };
  if (cls == nullptr) throw Error("qcos:invalidClass", "No class given");
  if (owner == nullptr) reject("qcos:invalidPackage", "The class's package is not registered");
  const char* shortName = cls->shortName();
  if (shortName == nullptr || *shortName == '\0') reject("qcos:invalidClass", "A class needs a name");
  const std::string fullName = owner->name + "." + shortName;
  if (reg.classesByName.count(fullName) != 0)
    reject("qcos:duplicateClass", "Class '" + fullName + "' exists");
  if (!record) record = std::make_unique<qcosClass>();
  record->fullName = fullName;
  record->packageName = owner->name;
  record->info = cls;
  owner->classes.push_back(record.get());
  reg.classesByName[fullName] = record.get();
  reg.classes.push_back(std::move(record));
}

void setSuperclass(ClassInfo* cls, const char* superclassFullName) {
  qcosClass& record = pendingFor(cls);
  record.superclass = superclassFullName ? superclassFullName : "";
}

void addMethod(ClassInfo* cls, MethodInfo* method) {
  if (method == nullptr) throw Error("qcos:invalidMethod", "No method given");
  try {
    pendingFor(cls).methods.push_back(method);
  } catch (...) {
    destroyMethodInfo(method);
    throw;
  }
}

qcosClass* findClass(const char* fullName) {
  return fullName == nullptr ? nullptr : detail::lookupClass(fullName);
}

const char* className(const qcosClass* cls) { return cls ? cls->fullName.c_str() : nullptr; }

qcosInstance* createInstance(qcosClass* cls) {
  if (cls == nullptr) throw Error("qcos:invalidClass", "No class given");
  auto& reg = detail::registry();
  auto instance = std::make_unique<qcosInstance>();
  instance->serial = reg.nextSerial++;
  instance->className = cls->fullName;
  reg.instances[instance->serial] = instance.get();
  return instance.release();
}

const char* instanceClassName(const qcosInstance* instance) {
  return instance ? instance->className.c_str() : nullptr;
}

void* getInstanceData(const qcosInstance* instance, const char* className) {
  if (instance == nullptr || className == nullptr) return nullptr;
  for (const auto& entry : instance->data) {
    if (entry.first == className) return entry.second;
  }
  return nullptr;
}

void setInstanceData(qcosInstance* instance, const char* className, void* data) {
  if (instance == nullptr || className == nullptr) throw Error("qcos:invalidInstance", "No instance given");
  const qcosClass* cls = detail::lookupClass(instance->className);
  if (cls == nullptr || !detail::isA(cls, className)) {
    throw Error("qcos:invalidInstanceData",
                "An instance of '" + instance->className + "' holds no data of class '" + className + "'");
  }
  for (auto& entry : instance->data) {
    if (entry.first == className) {
      entry.second = data;
      return;
    }
  }
  instance->data.emplace_back(className, data);
}

namespace detail {

Registry& registry() {
  static Registry reg;
  return reg;
}

PackageRecord* findPackage(const std::string& name) {
  for (const auto& p : registry().packages) {
    if (p->name == name) return p.get();
  }
  return nullptr;
}

qcosClass* lookupClass(const std::string& fullName) {
  auto& reg = registry();
  auto it = reg.classesByName.find(fullName);
  if (it != reg.classesByName.end()) return it->second;
  const size_t dot = fullName.rfind('.');
  if (dot == std::string::npos) return nullptr;
  PackageRecord* package = findPackage(fullName.substr(0, dot));
  if (package == nullptr || package->defined) return nullptr;
  package->defined = true;
  package->info->defineClasses();
  it = reg.classesByName.find(fullName);
  return it == reg.classesByName.end() ? nullptr : it->second;
}

bool isA(const qcosClass* cls, const std::string& ancestor) {
  // A chain longer than the number of classes has a cycle.
  size_t steps = registry().classes.size() + 1;
  while (cls != nullptr && steps-- > 0) {
    if (cls->fullName == ancestor) return true;
    if (cls->superclass.empty()) return false;
    cls = lookupClass(cls->superclass);
  }
  return false;
}

void addReference(qcosInstance* instance) {
  if (instance != nullptr) ++instance->references;
}

void releaseData(qcosInstance* instance) {
  auto data = std::move(instance->data);
  instance->data.clear();
  for (const auto& entry : data) {
    auto it = registry().classesByName.find(entry.first);
    if (it == registry().classesByName.end() || it->second->info == nullptr || entry.second == nullptr)
      continue;
    try {
      it->second->info->releaseInstanceData(entry.second);
    } catch (...) {
      // A release runs while an array is destroyed; there is nobody to tell.
    }
  }
}

void dropReference(qcosInstance* instance) {
  if (instance == nullptr || instance->references == 0) return;
  if (--instance->references != 0) return;
  releaseData(instance);
  registry().instances.erase(instance->serial);
  delete instance;
}

}  // namespace detail
}  // namespace qcos
