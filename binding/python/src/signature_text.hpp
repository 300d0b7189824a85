#pragma once

// Texts made from the registry: each method's Python signatures and host
// kinds (its docstring), each class's docstring, and the type stubs.

#include <string>
#include <vector>

#include "package_registry.hpp"

namespace kaloimport_py {

/// One parameter as Python shows it: its name and its annotation ("int", "Optional[Frame]").
struct Parameter {
  std::string name;
  std::string type;
};

/// The parameters of a form from argument `first` on (1 skips the object of an instance method).
std::vector<Parameter> pythonParameters(const Form& form, size_t first);

/// The result annotation of a form: "None", "float", "Tuple[Optional[ZoltModel], str]", ...
std::string resultType(const std::vector<std::string>& results);

/// Whether a form, called from Python, takes the object before the dot.
bool takesSelf(const Method& method, const Form& form);

/// The forms of a method with distinct Python signatures (two forms may differ
/// only in what they do), in the order the host tries them.
std::vector<const Form*> distinctForms(const Method& method);

/// "(char vector, int32 scalar)": kinds as the docstrings and error texts list them.
std::string kindList(const std::vector<std::string>& kinds);

/// "getLinkAt(self, index: int) -> Optional[Frame]" for one form; a
/// constructor's form reads "Body(name: str, ...)".
std::string pythonSignature(const Class& cls, const Method& method, const Form& form);

std::string methodDoc(const Class& cls, const Method& method);
std::string classDoc(const Class& cls);

/// The .pyi text for the package's classes and the module-level functions.
std::string stubText(const std::vector<Class>& classes);

}  // namespace kaloimport_py
