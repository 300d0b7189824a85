#pragma once

// The host side of the stand-in: loads plug-in modules, lists their packages
// and classes, and calls methods with script values. A scripting front-end
// converts its own values to and from Value and forwards to Host.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include <qcos_host/export.h>
#include <qcos_host/qx_array.h>
#include <qcos_host/qcos.hpp>

namespace qcos {

struct Logical {
  bool value;
};

/// A host array owned by the script; copies share it.
using Array = std::shared_ptr<qxArray>;
/// A script value: a scalar of one of the scalar kinds, or an array (text,
/// doubles, objects). An empty Array stands for "no value".
using Value = std::variant<double, int32_t, uint32_t, Logical, Array>;

QCOS_HOST_API Array adoptArray(qxArray* array);
QCOS_HOST_API Value makeText(const std::string& localText);
/// An m-by-n double array from values given column by column.
QCOS_HOST_API Value makeDoubles(size_t m, size_t n, const std::vector<double>& values);
/// A one-element object array holding the same instance as `object`.
QCOS_HOST_API Value copyObject(const Value& object);

/// The text of a text value; throws Error otherwise.
QCOS_HOST_API std::string textOf(const Value& value);
/// The values of a double array, column by column; throws Error otherwise.
QCOS_HOST_API std::vector<double> doublesOf(const Value& value);
/// Rows and columns of an array value (1, 1 for a scalar).
QCOS_HOST_API std::pair<size_t, size_t> dimensionsOf(const Value& value);
/// "double", "int32", "uint32", "logical", "char", or an object's full class name.
QCOS_HOST_API std::string classNameOf(const Value& value);
/// Element 0 of an object array, or null.
QCOS_HOST_API qcosInstance* objectOf(const Value& value);

struct CallResult {
  const MethodInfo* method = nullptr;  ///< the overload that ran
  int resultCount = 0;                 ///< as the method set it
  /// One value per result kind of the signature (an empty Array where the
  /// method stored nothing). A constructor's new object is always results[0].
  std::vector<Value> results;
};

struct MethodEntry {
  const MethodInfo* info;
  std::vector<std::string> argumentKinds;
  std::vector<std::string> resultKinds;
};

class QCOS_HOST_API Host {
 public:
  /// The process's host (the class-object system is process-wide).
  static Host& instance();

  /// dlopen's the library and runs its entry points QueryQLFcnTable_<name>
  /// and QLInitialize_<name>. Loading an already loaded module does nothing.
  void loadModule(const std::string& libraryPath, const std::string& moduleName);
  /// Releases the data of every live instance, destroys the packages, classes
  /// and methods (those that declare themselves destructible), runs
  /// QLTerminate_<name> of every module and closes them.
  void unloadModules();

  /// The function-table record a module returned when loaded.
  struct FunctionTable {
    std::string functionNames;
    uint64_t buildNumber1;
    uint64_t buildNumber2;
    uint64_t reserved;
  };
  FunctionTable functionTable(const std::string& moduleName) const;

  std::vector<std::string> packageNames() const;
  const PackageInfo* package(const std::string& name) const;
  /// Full class names of the package in definition order (defines them on first use).
  std::vector<std::string> classNames(const std::string& packageName);
  const ClassInfo* classInfo(const std::string& fullName);
  /// Full name of the declared superclass, empty when none.
  std::string superclassOf(const std::string& fullName);
  /// True when the class is `ancestor` or inherits from it.
  bool isA(const std::string& fullName, const std::string& ancestor);
  /// The class's own methods in registration order.
  std::vector<MethodEntry> methods(const std::string& fullName);

  /// Calls a method of a class by name: looks at the class's own methods, then
  /// those inherited (constructors excepted), and runs the first one whose
  /// argument kinds match the arguments in kind and count.
  CallResult call(const std::string& className, const std::string& methodName,
                  const std::vector<Value>& args);
  /// Dispatch on the first argument: calls the method on that object's class.
  CallResult dispatch(const std::string& methodName, const std::vector<Value>& args);
  /// Runs one given method without matching the argument kinds (only their
  /// count), as a front-end that resolved the overload itself would.
  CallResult callUnchecked(const std::string& className, const MethodInfo& method,
                           const std::vector<Value>& args);

  /// Instances not yet destroyed.
  size_t liveInstanceCount() const;

 private:
  Host() = default;
};

}  // namespace qcos
