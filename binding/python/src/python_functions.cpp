#include "python_functions.hpp"

#include <algorithm>
#include <vector>

#include <pybind11/eval.h>

#include "signature_text.hpp"

namespace kaloimport_py {
namespace {

bool sameParameter(const Parameter& a, const Parameter& b) { return a.name == b.name && a.type == b.type; }

struct Plan {
  std::vector<Parameter> required;
  std::vector<Parameter> optional;
  bool rest = false;  ///< further arguments as *args
};

Plan planFor(const Method& method) {
  std::vector<std::vector<Parameter>> lists;
  for (const Form* form : distinctForms(method))
    lists.push_back(pythonParameters(*form, takesSelf(method, *form) ? 1 : 0));
  Plan plan;
  if (lists.empty()) return plan;
  std::stable_sort(lists.begin(), lists.end(),
                   [](const auto& a, const auto& b) { return a.size() < b.size(); });
  const std::vector<Parameter>& longest = lists.back();
  const auto prefixOfLongest = [&](const std::vector<Parameter>& list) {
    return std::equal(list.begin(), list.end(), longest.begin(), sameParameter);
  };
  if (std::all_of(lists.begin(), lists.end(), prefixOfLongest)) {
    plan.required.assign(longest.begin(),
                         longest.begin() + static_cast<std::ptrdiff_t>(lists.front().size()));
    plan.optional.assign(longest.begin() + static_cast<std::ptrdiff_t>(lists.front().size()), longest.end());
    return plan;
  }
  size_t shared = lists.front().size();
  for (const auto& list : lists) {
    size_t i = 0;
    while (i < shared && sameParameter(list[i], lists.front()[i])) ++i;
    shared = i;
  }
  plan.required.assign(lists.front().begin(), lists.front().begin() + static_cast<std::ptrdiff_t>(shared));
  plan.rest = true;
  return plan;
}

std::string quoted(const std::string& text) { return py::repr(py::str(text)).cast<std::string>(); }

bool isIdentifier(const std::string& name) {
  return py::str(name).attr("isidentifier")().cast<bool>() &&
         !py::module_::import("keyword").attr("iskeyword")(name).cast<bool>();
}

}  // namespace

py::object pythonFunction(const Class& cls, const Method& method, const py::object& impl,
                          const std::string& doc) {
  const bool constructor = method.role == Role::Constructor;
  const std::string name = constructor ? "__init__" : method.name;
  const Plan plan = planFor(method);
  bool usable = isIdentifier(name);
  for (const auto* list : {&plan.required, &plan.optional})
    for (const Parameter& p : *list) usable = usable && isIdentifier(p.name);
  if (!usable) return impl;

  const bool self = method.role != Role::Static;
  std::string parameters = self ? "self" : "";
  std::string passed = parameters;
  const auto add = [](std::string& text, const std::string& item) {
    text += (text.empty() ? "" : ", ") + item;
  };
  for (const Parameter& p : plan.required) {
    add(parameters, p.name + ": " + quoted(p.type));
    add(passed, p.name);
  }
  for (const Parameter& p : plan.optional) {
    add(parameters, p.name + ": " + quoted(p.type) + " = _omitted");
    add(passed, p.name);
  }
  if (plan.rest) {
    add(parameters, "*args");
    add(passed, "*args");
  }
  std::string results = "None";
  if (!constructor) {
    const std::vector<const Form*> forms = distinctForms(method);
    results = resultType(forms.front()->results);
    for (const Form* form : forms)
      if (resultType(form->results) != results) results = "Any";
  }
  const std::string call =
      plan.optional.empty() ? passed : "*[a for a in (" + passed + ",) if a is not _omitted]";
  const std::string source =
      "def " + name + "(" + parameters + ") -> " + quoted(results) + ":\n    return _impl(" + call + ")\n";

  // Kept for the life of the process, as the classes are.
  static const py::handle omitted = [] {
    py::dict scope;
    py::exec(
        "class _Omitted:\n"
        "    __slots__ = ()\n"
        "    def __repr__(self):\n"
        "        return '<omitted>'\n"
        "omitted = _Omitted()\n",
        scope);
    return py::object(scope["omitted"]).release();
  }();
  py::dict scope;
  scope["_impl"] = impl;
  scope["_omitted"] = omitted;
  py::exec(source, scope);
  py::object function = scope[name.c_str()];
  function.attr("__qualname__") = cls.shortName + "." + name;
  function.attr("__module__") = "kaloimport";
  function.attr("__doc__") = doc;
  return function;
}

}  // namespace kaloimport_py
