#include "signature_text.hpp"

#include <cctype>
#include <map>
#include <set>

namespace kaloimport_py {
namespace {

bool isObjectKind(const std::string& kind) { return kind.find('.') != std::string::npos; }

std::string shortClass(const std::string& kind) { return kind.substr(kind.rfind('.') + 1); }

std::string pythonType(const std::string& kind, bool result) {
  if (kind == "char vector") return "str";
  if (kind == "double scalar") return "float";
  if (kind == "int32 scalar" || kind == "uint32 scalar") return "int";
  if (kind == "logical scalar") return "bool";
  if (kind == "double vector" || kind == "double matrix")
    return result ? "numpy.ndarray" : "numpy.typing.ArrayLike";
  // None stands for an empty object both ways.
  if (isObjectKind(kind)) return "Optional[" + shortClass(kind) + "]";
  return "object";
}

std::string parameterStem(const std::string& kind) {
  if (kind == "char vector") return "text";
  if (kind == "double scalar") return "value";
  if (kind == "int32 scalar") return "number";
  if (kind == "uint32 scalar") return "index";
  if (kind == "logical scalar") return "flag";
  if (kind == "double vector") return "vector";
  if (kind == "double matrix") return "matrix";
  if (isObjectKind(kind)) {
    std::string stem = shortClass(kind);
    if (!stem.empty()) stem[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(stem[0])));
    return stem;
  }
  return "arg";
}

/// "name: type" for the kinds from `first` on. The registry holds kinds only,
/// so names come from them; a name used more than once is numbered.
std::string parameters(const std::vector<std::string>& kinds, size_t first) {
  std::map<std::string, int> uses;
  for (size_t i = first; i < kinds.size(); ++i) ++uses[parameterStem(kinds[i])];
  std::map<std::string, int> seen;
  std::string text;
  for (size_t i = first; i < kinds.size(); ++i) {
    const std::string stem = parameterStem(kinds[i]);
    const std::string name = uses[stem] > 1 ? stem + std::to_string(++seen[stem]) : stem;
    text += (text.empty() ? "" : ", ") + name + ": " + pythonType(kinds[i], false);
  }
  return text;
}

std::string resultType(const std::vector<std::string>& results) {
  if (results.empty()) return "None";
  if (results.size() == 1) return pythonType(results[0], true);
  std::string text = "Tuple[";
  for (size_t i = 0; i < results.size(); ++i) text += (i ? ", " : "") + pythonType(results[i], true);
  return text + "]";
}

/// Whether a form, called from Python, takes the object before the dot.
bool takesSelf(const Method& method, const Form& form) {
  return method.role == Role::Instance && !form.arguments.empty() && form.arguments[0] == form.owner;
}

/// The parameter list and result of a form as Python sees it, e.g. "(self, number: int) -> int".
std::string pythonParameters(const Method& method, const Form& form) {
  const bool self = takesSelf(method, form);
  const std::string rest = parameters(form.arguments, self ? 1 : 0);
  return "(" + std::string(self ? "self" : "") + (self && !rest.empty() ? ", " : "") + rest + ")";
}

/// Distinct Python signatures of a method (two forms may differ only in what they do).
std::vector<const Form*> distinctForms(const Method& method) {
  std::set<std::string> seen;
  std::vector<const Form*> forms;
  for (const Form& form : method.forms) {
    if (seen.insert(pythonParameters(method, form) + resultType(form.results)).second) forms.push_back(&form);
  }
  return forms;
}

bool isIdentifier(const std::string& name) {
  if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0]))) return false;
  for (char c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
  }
  return true;
}

}  // namespace

std::string kindList(const std::vector<std::string>& kinds) {
  std::string text = "(";
  for (size_t i = 0; i < kinds.size(); ++i) text += (i ? ", " : "") + kinds[i];
  return text + ")";
}

std::string pythonSignature(const Class& cls, const Method& method, const Form& form) {
  if (method.role == Role::Constructor) return cls.shortName + "(" + parameters(form.arguments, 0) + ")";
  return method.name + pythonParameters(method, form) + " -> " + resultType(form.results);
}

std::string methodDoc(const Class& cls, const Method& method) {
  std::string text;
  for (const Form* form : distinctForms(method)) text += pythonSignature(cls, method, *form) + "\n";
  text += method.forms.size() == 1
              ? "\nHost signature (argument kinds -> result kinds):\n"
              : "\nHost signatures (argument kinds -> result kinds), tried in this order:\n";
  for (const Form& form : method.forms) {
    text +=
        "    " + form.owner + "." + method.name + kindList(form.arguments) + " -> " + kindList(form.results);
    text += form.owner != cls.fullName ? "  (inherited)\n" : "\n";
  }
  if (method.role == Role::Static) text += "\nTakes no object of the class: call it on the class.\n";
  return text;
}

std::string classDoc(const Class& cls) {
  std::string text = cls.description;
  for (const Method& method : cls.methods) {
    if (method.role != Role::Constructor) continue;
    text += "\n\nConstructors:\n";
    for (const Form* form : distinctForms(method))
      text += "    " + pythonSignature(cls, method, *form) + "\n";
  }
  text += (text.empty() || text.back() == '\n' ? "\n" : "\n\n") + std::string("Host class ") + cls.fullName +
          (cls.superclass.empty() ? "" : ", superclass " + cls.superclass) + ".";
  return text;
}

std::string stubText(const std::vector<Class>& classes) {
  std::string text =
      "# Type stubs of the kaloimport module, generated from the host package's registry\n"
      "# when the module is built. Do not edit.\n"
      "import os\n"
      "from typing import Any, List, Optional, Tuple, Union, overload\n"
      "\n"
      "import numpy\n"
      "import numpy.typing\n"
      "\n"
      "__version__: str\n"
      "\n"
      "class HostError(RuntimeError):\n"
      "    identifier: str\n"
      "    message: str\n"
      "\n"
      "class ConversionError(RuntimeError):\n"
      "    code: int\n"
      "    message: str\n";
  std::set<std::string> defined;
  for (const Class& cls : classes) {
    const bool hasBase = defined.count(cls.superclass) != 0;
    text += "\nclass " + cls.shortName + (hasBase ? "(" + shortClass(cls.superclass) + ")" : "") + ":\n";
    defined.insert(cls.fullName);
    text += "    \"\"\"" + cls.description + "\"\"\"\n";
    for (const Method& method : cls.methods) {
      const bool constructor = method.role == Role::Constructor;
      if (!constructor && !isIdentifier(method.name)) continue;
      const std::vector<const Form*> forms = distinctForms(method);
      for (const Form* form : forms) {
        if (forms.size() > 1) text += "    @overload\n";
        if (method.role == Role::Static) text += "    @staticmethod\n";
        if (constructor) {
          const std::string rest = parameters(form->arguments, 0);
          text += "    def __init__(self" + (rest.empty() ? "" : ", " + rest) + ") -> None: ...\n";
        } else {
          text += "    def " + method.name + pythonParameters(method, *form) + " -> " +
                  resultType(form->results) + ": ...\n";
        }
      }
    }
  }
  text +=
      "\n_Path = Union[str, os.PathLike[str]]\n"
      "\ndef convert(cad_xml_path: _Path, out_path: _Path, units: Tuple[str, str] = (\"kg\", \"m\")) -> str: "
      "...\n";
  text +=
      "def export(model_path: _Path, out_path: _Path, to: str = \"mjcf\", **options: Any) -> List[str]: "
      "...\n";
  return text;
}

}  // namespace kaloimport_py
