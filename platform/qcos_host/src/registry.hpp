#pragma once

// Process-wide state of the stand-in host: packages, classes, instances.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <qcos_host/qx_array.h>
#include <qcos_host/host.hpp>
#include <qcos_host/qcos.hpp>

namespace qcos {

class Signature {
 public:
  std::vector<std::string> arguments;
  std::vector<std::string> results;
};

}  // namespace qcos

struct qcosClass {
  std::string fullName;
  std::string packageName;
  qcos::ClassInfo* info = nullptr;
  std::string superclass;
  std::vector<qcos::MethodInfo*> methods;
};

struct qcosInstance {
  uint64_t serial = 0;
  size_t references = 0;
  std::string className;
  /// Data per class name, in the order it was first set.
  std::vector<std::pair<std::string, void*>> data;
};

struct qxArray {
  qxClassID classID = qxUNKNOWN_CLASS;
  size_t m = 0;
  size_t n = 0;
  std::vector<double> reals;
  std::u16string chars;
  std::string className;  // object arrays
  std::vector<qcosInstance*> objects;
};

namespace qcos::detail {

struct PackageRecord {
  PackageInfo* info = nullptr;
  std::string name;
  std::string moduleName;
  bool defined = false;
  std::vector<qcosClass*> classes;
};

struct ModuleRecord {
  std::string name;
  void* handle = nullptr;
  Host::FunctionTable table{};
};

struct Registry {
  std::vector<ModuleRecord> modules;
  std::vector<std::unique_ptr<PackageRecord>> packages;
  std::vector<std::unique_ptr<qcosClass>> classes;
  std::map<std::string, qcosClass*> classesByName;
  /// Superclass and methods declared for a class not yet handed over.
  std::map<const ClassInfo*, std::unique_ptr<qcosClass>> pending;
  /// Live instances by creation number, so that releases run in a fixed order.
  std::map<uint64_t, qcosInstance*> instances;
  uint64_t nextSerial = 0;
  std::string loadingModule;
};

Registry& registry();
PackageRecord* findPackage(const std::string& name);
qcosClass* lookupClass(const std::string& fullName);
bool isA(const qcosClass* cls, const std::string& ancestor);
void addReference(qcosInstance* instance);
void dropReference(qcosInstance* instance);
/// Releases the instance's data through its classes (the data list is emptied).
void releaseData(qcosInstance* instance);

}  // namespace qcos::detail
