// What the host does with a plug-in module: load it, list its classes and
// call its methods with script values.

#include <dlfcn.h>

#include <algorithm>
#include <exception>

#include <qcos_host/host.hpp>

#include "registry.hpp"

namespace qcos {
namespace {

using detail::registry;

/// Layout of the record a module's QueryQLFcnTable_<name> returns.
struct FunctionTableRecord {
  const char* functionNames;
  uint64_t buildNumber1;
  uint64_t buildNumber2;
  uint64_t reserved;
};
static_assert(sizeof(FunctionTableRecord) == 32, "four 64-bit slots");

enum class KindClass { Real, Int32, UInt32, Logical, Text, Doubles, Object, Unknown };

KindClass classify(const std::string& kind) {
  if (kind == "double scalar") return KindClass::Real;
  if (kind == "int32 scalar") return KindClass::Int32;
  if (kind == "uint32 scalar") return KindClass::UInt32;
  if (kind == "logical scalar") return KindClass::Logical;
  if (kind == "char vector") return KindClass::Text;
  if (kind == "double vector" || kind == "double matrix") return KindClass::Doubles;
  if (kind.find('.') != std::string::npos) return KindClass::Object;
  return KindClass::Unknown;
}

bool matches(const std::string& kind, const Value& value) {
  switch (classify(kind)) {
    case KindClass::Real:
      return std::holds_alternative<double>(value);
    case KindClass::Int32:
      return std::holds_alternative<int32_t>(value);
    case KindClass::UInt32:
      return std::holds_alternative<uint32_t>(value);
    case KindClass::Logical:
      return std::holds_alternative<Logical>(value);
    case KindClass::Text:
      return qxGetClassID(std::holds_alternative<Array>(value) ? std::get<Array>(value).get() : nullptr) ==
             qxCHAR_CLASS;
    case KindClass::Doubles:
      return qxGetClassID(std::holds_alternative<Array>(value) ? std::get<Array>(value).get() : nullptr) ==
             qxDOUBLE_CLASS;
    case KindClass::Object: {
      if (!std::holds_alternative<Array>(value)) return false;
      const qxArray* array = std::get<Array>(value).get();
      if (qxGetClassID(array) != qxOBJECT_CLASS) return false;
      return detail::isA(detail::lookupClass(array->className), kind);
    }
    case KindClass::Unknown:
      break;
  }
  return false;
}

bool matchesAll(const Signature* signature, const std::vector<Value>& args) {
  if (signature == nullptr || signature->arguments.size() != args.size()) return false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (!matches(signature->arguments[i], args[i])) return false;
  }
  return true;
}

qxSlot toSlot(const Value& value) {
  qxSlot slot{};
  if (const auto* d = std::get_if<double>(&value)) {
    slot.real = *d;
  } else if (const auto* i = std::get_if<int32_t>(&value)) {
    slot.int32 = *i;
  } else if (const auto* u = std::get_if<uint32_t>(&value)) {
    slot.uint32 = *u;
  } else if (const auto* l = std::get_if<Logical>(&value)) {
    slot.logical = l->value ? 1 : 0;
  } else {
    slot.array = std::get<Array>(value).get();
  }
  return slot;
}

Value fromSlot(const std::string& kind, const qxSlot& slot) {
  switch (classify(kind)) {
    case KindClass::Real:
      return slot.real;
    case KindClass::Int32:
      return slot.int32;
    case KindClass::UInt32:
      return slot.uint32;
    case KindClass::Logical:
      return Logical{slot.logical != 0};
    default:
      return adoptArray(slot.array);
  }
}

bool isConstructor(const qcosClass& cls, const MethodInfo& method) {
  const char* name = method.name();
  const char* shortName = cls.info ? cls.info->shortName() : nullptr;
  return name != nullptr && shortName != nullptr && std::string(name) == shortName;
}

qcosClass& requireClass(const std::string& fullName) {
  qcosClass* cls = detail::lookupClass(fullName);
  if (cls == nullptr) throw Error("qcos:undefinedClass", "Undefined class '" + fullName + "'");
  return *cls;
}

CallResult invoke(qcosClass& owner, const MethodInfo& method, const std::vector<Value>& args) {
  const Signature* signature = method.signature();
  if (signature == nullptr) throw Error("qcos:invalidMethod", "The method has no signature");
  if (signature->arguments.size() != args.size()) {
    throw Error("qcos:wrongArgumentCount", std::string("Method '") + method.name() + "' takes " +
                                               std::to_string(signature->arguments.size()) + " arguments");
  }
  // Slots are untyped: an array where a scalar is declared, or the reverse,
  // would be misread by the method, so the form is checked even on unchecked calls.
  for (size_t i = 0; i < args.size(); ++i) {
    const KindClass k = classify(signature->arguments[i]);
    const bool scalarKind =
        k == KindClass::Real || k == KindClass::Int32 || k == KindClass::UInt32 || k == KindClass::Logical;
    if (scalarKind == std::holds_alternative<Array>(args[i])) {
      throw Error("qcos:wrongArgumentForm", std::string("Argument ") + std::to_string(i + 1) +
                                                " of method '" + method.name() + "' must be " +
                                                (scalarKind ? "a scalar" : "an array"));
    }
  }
  std::vector<qxSlot> in;
  in.reserve(args.size());
  for (const Value& arg : args) in.push_back(toSlot(arg));
  const auto& kinds = signature->results;
  std::vector<qxSlot> out(std::max<size_t>(kinds.size(), 1), qxSlot{});
  const bool constructor = isConstructor(owner, method);
  if (constructor) {
    // The host makes the new object; the constructor fills in its data.
    qxArray* array = qxCreateObjectArray(&owner);
    try {
      qxSetObject(array, 0, createInstance(&owner));
    } catch (...) {
      qxDestroyArray(array);
      throw;
    }
    out[0].array = array;
  }
  // Adopt whatever the method stored, also when it fails half-way.
  auto collect = [&]() {
    std::vector<Value> results;
    for (size_t i = 0; i < kinds.size(); ++i) results.push_back(fromSlot(kinds[i], out[i]));
    if (kinds.empty() && out[0].array != nullptr && constructor) results.push_back(adoptArray(out[0].array));
    return results;
  };
  int count = 0;
  MethodInfo& callee = const_cast<MethodInfo&>(method);
  try {
    callee.call(&registry(), &count, out.data(), &owner, in.data());
  } catch (const Error&) {
    collect();
    throw;
  } catch (const std::bad_alloc&) {
    collect();
    throw OutOfMemory();
  } catch (const std::exception& e) {
    collect();
    throw Error("qcos:methodFailed", std::string(method.name()) + ": " + e.what());
  } catch (...) {
    collect();
    throw Error("qcos:methodFailed", std::string(method.name()) + ": unknown exception");
  }
  CallResult result;
  result.method = &method;
  result.results = collect();
  result.resultCount = count;
  if (count < 0 || static_cast<size_t>(count) > kinds.size()) {
    throw Error("qcos:invalidResultCount", std::string(method.name()) + " set the result count " +
                                               std::to_string(count) + " for " +
                                               std::to_string(kinds.size()) + " result slots");
  }
  return result;
}

}  // namespace

Array adoptArray(qxArray* array) { return Array(array, &qxDestroyArray); }

Value makeText(const std::string& localText) { return adoptArray(qxCreateString(localText.c_str())); }

Value makeDoubles(size_t m, size_t n, const std::vector<double>& values) {
  if (values.size() != m * n) throw Error("qcos:invalidDimensions", "The values do not fill the matrix");
  Array array = adoptArray(qxCreateDoubleMatrix(m, n));
  std::copy(values.begin(), values.end(), qxGetPr(array.get()));
  return array;
}

Value copyObject(const Value& object) {
  qcosInstance* instance = objectOf(object);
  if (instance == nullptr) throw Error("qcos:notAnObject", "The value is not an object");
  Array array = adoptArray(qxCreateObjectArray(detail::lookupClass(instance->className)));
  qxSetObject(array.get(), 0, instance);
  return array;
}

std::string textOf(const Value& value) {
  const qxArray* array = std::holds_alternative<Array>(value) ? std::get<Array>(value).get() : nullptr;
  uint16_t* units = qxArrayToUTF16String(array);
  if (units == nullptr) throw Error("qcos:notText", "The value is not a text");
  char* local = nullptr;
  try {
    local = qxUTF16ToLocalString(units);
  } catch (...) {
    qxFree(units);
    throw;
  }
  std::string text(local);
  qxFree(units);
  qxFree(local);
  return text;
}

std::vector<double> doublesOf(const Value& value) {
  const qxArray* array = std::holds_alternative<Array>(value) ? std::get<Array>(value).get() : nullptr;
  const double* data = qxGetPr(array);
  if (data == nullptr) throw Error("qcos:notDouble", "The value is not a double array");
  return std::vector<double>(data, data + qxGetNumberOfElements(array));
}

std::pair<size_t, size_t> dimensionsOf(const Value& value) {
  if (!std::holds_alternative<Array>(value)) return {1, 1};
  const qxArray* array = std::get<Array>(value).get();
  return {qxGetM(array), qxGetN(array)};
}

std::string classNameOf(const Value& value) {
  if (std::holds_alternative<double>(value)) return "double";
  if (std::holds_alternative<int32_t>(value)) return "int32";
  if (std::holds_alternative<uint32_t>(value)) return "uint32";
  if (std::holds_alternative<Logical>(value)) return "logical";
  return qxGetClassName(std::get<Array>(value).get());
}

qcosInstance* objectOf(const Value& value) {
  return std::holds_alternative<Array>(value) ? qxGetObject(std::get<Array>(value).get(), 0) : nullptr;
}

Host& Host::instance() {
  static Host host;
  return host;
}

void Host::loadModule(const std::string& libraryPath, const std::string& moduleName) {
  auto& reg = registry();
  for (const auto& m : reg.modules) {
    if (m.name == moduleName) return;
  }
  void* handle = dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = dlerror();
    throw Error("qcos:loadFailed", "Cannot load '" + libraryPath + "': " + (why ? why : "unknown reason"));
  }
  auto symbol = [&](const std::string& prefix) {
    void* address = dlsym(handle, (prefix + moduleName).c_str());
    if (address == nullptr) {
      dlclose(handle);
      throw Error("qcos:loadFailed", "Module '" + moduleName + "' lacks " + prefix + moduleName);
    }
    return address;
  };
  auto query = reinterpret_cast<const FunctionTableRecord* (*)()>(symbol("QueryQLFcnTable_"));
  auto initialize = reinterpret_cast<void (*)()>(symbol("QLInitialize_"));
  symbol("QLTerminate_");
  const FunctionTableRecord* record = query();
  if (record == nullptr || record->functionNames == nullptr || record->reserved != 0) {
    dlclose(handle);
    throw Error("qcos:loadFailed", "Module '" + moduleName + "' returned an invalid function table");
  }
  detail::ModuleRecord module;
  module.name = moduleName;
  module.handle = handle;
  module.table = {record->functionNames, record->buildNumber1, record->buildNumber2, record->reserved};
  reg.loadingModule = moduleName;
  try {
    initialize();
  } catch (const Error&) {
    reg.loadingModule.clear();
    throw;
  } catch (const std::exception& e) {
    reg.loadingModule.clear();
    throw Error("qcos:loadFailed", "Initialising '" + moduleName + "' failed: " + e.what());
  }
  reg.loadingModule.clear();
  reg.modules.push_back(module);
}

void Host::unloadModules() {
  auto& reg = registry();
  for (auto& entry : reg.instances) detail::releaseData(entry.second);
  for (auto& cls : reg.classes) {
    for (MethodInfo* m : cls->methods) {
      if (m->isDestructible()) delete m;
    }
    cls->methods.clear();
    if (cls->info != nullptr && cls->info->isDestructible()) delete cls->info;
    cls->info = nullptr;
  }
  for (auto& pending : reg.pending) {
    for (MethodInfo* m : pending.second->methods) {
      if (m->isDestructible()) delete m;
    }
  }
  reg.pending.clear();
  for (auto& p : reg.packages) {
    if (p->info->isDestructible()) delete p->info;
  }
  reg.packages.clear();
  reg.classesByName.clear();
  // Instances outlive their classes only as empty shells that arrays still refer to.
  reg.classes.clear();
  for (auto it = reg.modules.rbegin(); it != reg.modules.rend(); ++it) {
    auto terminate = reinterpret_cast<void (*)()>(dlsym(it->handle, ("QLTerminate_" + it->name).c_str()));
    if (terminate != nullptr) terminate();
    dlclose(it->handle);
  }
  reg.modules.clear();
}

Host::FunctionTable Host::functionTable(const std::string& moduleName) const {
  for (const auto& m : registry().modules) {
    if (m.name == moduleName) return m.table;
  }
  throw Error("qcos:unknownModule", "Module '" + moduleName + "' is not loaded");
}

std::vector<std::string> Host::packageNames() const {
  std::vector<std::string> names;
  for (const auto& p : registry().packages) names.push_back(p->name);
  return names;
}

const PackageInfo* Host::package(const std::string& name) const {
  const detail::PackageRecord* record = detail::findPackage(name);
  return record ? record->info : nullptr;
}

std::vector<std::string> Host::classNames(const std::string& packageName) {
  detail::PackageRecord* record = detail::findPackage(packageName);
  if (record == nullptr) throw Error("qcos:unknownPackage", "No package '" + packageName + "'");
  if (!record->defined) {
    record->defined = true;
    record->info->defineClasses();
  }
  std::vector<std::string> names;
  for (const qcosClass* cls : record->classes) names.push_back(cls->fullName);
  return names;
}

const ClassInfo* Host::classInfo(const std::string& fullName) { return requireClass(fullName).info; }

std::string Host::superclassOf(const std::string& fullName) { return requireClass(fullName).superclass; }

bool Host::isA(const std::string& fullName, const std::string& ancestor) {
  return detail::isA(detail::lookupClass(fullName), ancestor);
}

std::vector<MethodEntry> Host::methods(const std::string& fullName) {
  std::vector<MethodEntry> entries;
  for (const MethodInfo* m : requireClass(fullName).methods) {
    entries.push_back({m, argumentKinds(m->signature()), resultKinds(m->signature())});
  }
  return entries;
}

CallResult Host::call(const std::string& className, const std::string& methodName,
                      const std::vector<Value>& args) {
  qcosClass& target = requireClass(className);
  size_t steps = registry().classes.size() + 1;
  for (qcosClass* cls = &target; cls != nullptr && steps-- > 0;
       cls = cls->superclass.empty() ? nullptr : detail::lookupClass(cls->superclass)) {
    for (const MethodInfo* m : cls->methods) {
      if (methodName != m->name()) continue;
      if (cls != &target && isConstructor(*cls, *m)) continue;
      if (matchesAll(m->signature(), args)) return invoke(*cls, *m, args);
    }
  }
  throw Error("qcos:noMatchingSignature",
              "No method '" + methodName + "' of class '" + className + "' accepts these arguments");
}

CallResult Host::dispatch(const std::string& methodName, const std::vector<Value>& args) {
  const qcosInstance* self = args.empty() ? nullptr : objectOf(args[0]);
  if (self == nullptr)
    throw Error("qcos:noDispatchObject", "The first argument of '" + methodName + "' is no object");
  return call(self->className, methodName, args);
}

CallResult Host::callUnchecked(const std::string& className, const MethodInfo& method,
                               const std::vector<Value>& args) {
  return invoke(requireClass(className), method, args);
}

size_t Host::liveInstanceCount() const { return registry().instances.size(); }

}  // namespace qcos
