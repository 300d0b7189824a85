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

}  // namespace

std::vector<Parameter> pythonParameters(const Form& form, size_t first) {
  // Names come from the method tables; a kind without one (a method of another
  // package) is named after its kind, numbered when used more than once.
  std::map<std::string, int> uses;
  for (size_t i = first; i < form.arguments.size(); ++i) ++uses[parameterStem(form.arguments[i])];
  std::map<std::string, int> seen;
  std::vector<Parameter> list;
  for (size_t i = first; i < form.arguments.size(); ++i) {
    std::string name = i < form.names.size() ? form.names[i] : std::string();
    if (name.empty()) {
      const std::string stem = parameterStem(form.arguments[i]);
      name = uses[stem] > 1 ? stem + std::to_string(++seen[stem]) : stem;
    }
    list.push_back(Parameter{name, pythonType(form.arguments[i], false)});
  }
  return list;
}

namespace {

std::string parameters(const Form& form, size_t first) {
  std::string text;
  for (const Parameter& p : pythonParameters(form, first))
    text += (text.empty() ? "" : ", ") + p.name + ": " + p.type;
  return text;
}

}  // namespace

std::string resultType(const std::vector<std::string>& results) {
  if (results.empty()) return "None";
  if (results.size() == 1) return pythonType(results[0], true);
  std::string text = "Tuple[";
  for (size_t i = 0; i < results.size(); ++i) text += (i ? ", " : "") + pythonType(results[i], true);
  return text + "]";
}

bool takesSelf(const Method& method, const Form& form) {
  return method.role == Role::Instance && !form.arguments.empty() && form.arguments[0] == form.owner;
}

namespace {

/// The parameter list and result of a form as Python sees it, e.g. "(self, number: int) -> int".
std::string parameterListText(const Method& method, const Form& form) {
  const bool self = takesSelf(method, form);
  const std::string rest = parameters(form, self ? 1 : 0);
  return "(" + std::string(self ? "self" : "") + (self && !rest.empty() ? ", " : "") + rest + ")";
}

}  // namespace

std::vector<const Form*> distinctForms(const Method& method) {
  std::set<std::string> seen;
  std::vector<const Form*> forms;
  for (const Form& form : method.forms) {
    if (seen.insert(parameterListText(method, form) + resultType(form.results)).second)
      forms.push_back(&form);
  }
  return forms;
}

namespace {

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
  if (method.role == Role::Constructor) return cls.shortName + "(" + parameters(form, 0) + ")";
  return method.name + parameterListText(method, form) + " -> " + resultType(form.results);
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
      "_Path = Union[str, os.PathLike[str]]\n"
      "\n"
      "class HostError(RuntimeError):\n"
      "    identifier: str\n"
      "    message: str\n"
      "\n"
      "class ConversionError(RuntimeError):\n"
      "    code: int\n"
      "    message: str\n"
      "\n"
      "class ReadError(RuntimeError):\n"
      "    code: int\n"
      "    message: str\n"
      "    path: str\n"
      "\n"
      "class WriteError(RuntimeError):\n"
      "    code: int\n"
      "    message: str\n"
      "    path: str\n";
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
          const std::string rest = parameters(*form, 0);
          text += "    def __init__(self" + (rest.empty() ? "" : ", " + rest) + ") -> None: ...\n";
        } else {
          text += "    def " + method.name + parameterListText(method, *form) + " -> " +
                  resultType(form->results) + ": ...\n";
        }
      }
    }
    if (cls.fullName == "kaloimport.ZoltModel") text += "    def write(self, path: _Path) -> None: ...\n";
  }
  text +=
      "\ndef read(path: _Path, simplify: int = 0) -> ZoltModel: ...\n"
      "def convert(cad_xml_path: _Path, out_path: _Path, units: Tuple[str, str] = (\"kg\", \"m\"), *,\n"
      "            to: Optional[str] = None, tolerances: Optional[Tuple[float, ...]] = None,\n"
      "            name: Optional[str] = None, created_using: str = \"kaloimport\",\n"
      "            created_from: Optional[_Path] = None, created_on: str = \"\", created_by: str = \"\",\n"
      "            **options: Any) -> str: ...\n";
  text +=
      "def export(model_path: _Path, out_path: _Path, to: str = \"mjcf\", **options: Any) -> List[str]: "
      "...\n";
  return text;
}

}  // namespace kaloimport_py
