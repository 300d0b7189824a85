#pragma once

// The package's classes and methods as the host lists them, gathered once so
// that Python classes, docstrings and stubs all come from the same reading.

#include <string>
#include <vector>

#include <qcos_host/qcos.hpp>

namespace kaloimport_py {

/// One registered method of a class: an overload as the host sees it.
struct Form {
  const qcos::MethodInfo* info = nullptr;
  std::string owner;  ///< full name of the class that registered it
  std::vector<std::string> arguments;
  std::vector<std::string> names;  ///< parameter name per argument; empty for the object itself
  std::vector<std::string> results;
};

enum class Role { Constructor, Instance, Static };

/// Every form of one method name of a class, in the order the host tries them:
/// the class's own, then those inherited (constructors are not inherited).
struct Method {
  std::string className;  ///< full name of the class the Python attribute sits on
  std::string name;
  Role role = Role::Instance;
  std::vector<Form> forms;
  size_t ownForms = 0;
};

struct Class {
  std::string fullName;
  std::string shortName;
  std::string superclass;  ///< full name; empty when none
  std::string description;
  std::vector<Method> methods;  ///< one per name, in order of first registration
};

/// The package's classes, each after its superclass (when it is in the package).
std::vector<Class> readPackage(const std::string& packageName);

}  // namespace kaloimport_py
