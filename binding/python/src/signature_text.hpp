#pragma once

// Texts made from the registry: each method's Python signatures and host
// kinds (its docstring), each class's docstring, and the type stubs.

#include <string>
#include <vector>

#include "package_registry.hpp"

namespace kaloimport_py {

/// "(char vector, int32 scalar)": kinds as the docstrings and error texts list them.
std::string kindList(const std::vector<std::string>& kinds);

/// "getLinkAt(self, number: int) -> Optional[Frame]" for one form; a
/// constructor's form reads "Body(text: str, ...)".
std::string pythonSignature(const Class& cls, const Method& method, const Form& form);

std::string methodDoc(const Class& cls, const Method& method);
std::string classDoc(const Class& cls);

/// The .pyi text for the package's classes and the module-level functions.
std::string stubText(const std::vector<Class>& classes);

}  // namespace kaloimport_py
