#include "method_calls.hpp"

#include <stdexcept>

#include "host_object.hpp"
#include "host_values.hpp"
#include "python_errors.hpp"
#include "signature_text.hpp"

namespace kaloimport_py {
namespace {

PyObject* g_hostError = nullptr;

std::string where(const Method& method) { return method.className + "." + method.name; }

std::string shortRepr(py::handle value) {
  std::string text;
  try {
    text = py::repr(value).cast<std::string>();
  } catch (const std::exception&) {
    return Py_TYPE(value.ptr())->tp_name;
  }
  return text.size() > 60 ? text.substr(0, 57) + "..." : text;
}

/// The host values for the arguments from position `first` on, converted to the
/// kinds of the first form that takes them all.
std::vector<qcos::Value> hostArguments(const Method& method, const py::args& args, size_t first) {
  const size_t count = args.size() - first;
  const Form* reported = nullptr;
  size_t failedAt = 0;
  std::string why;
  for (const Form& form : method.forms) {
    if (form.arguments.size() != count) continue;
    std::vector<qcos::Value> values(count);
    size_t i = 0;
    std::string reason;
    while (i < count && toHost(form.arguments[i], args[first + i], values[i], reason)) ++i;
    if (i == count) return values;
    if (reported == nullptr) {
      reported = &form;
      failedAt = i;
      why = reason;
    }
  }
  if (reported != nullptr) {
    throw py::type_error(where(method) + ": argument " + std::to_string(failedAt + 1) + " (" +
                         reported->arguments[failedAt] + ") cannot take " +
                         shortRepr(args[first + failedAt]) + ": " + why);
  }
  std::string forms;
  for (const Form& form : method.forms) forms += (forms.empty() ? "" : " or ") + kindList(form.arguments);
  throw py::type_error(where(method) + " takes " + forms + ", not " + std::to_string(count) +
                       (count == 1 ? " argument" : " arguments"));
}

qcos::CallResult runOnHost(const Method& method, const std::vector<qcos::Value>& values) {
  try {
    return qcos::Host::instance().call(method.className, method.name, values);
  } catch (const qcos::Error& error) {
    raiseError(g_hostError, error.what(), "identifier", localText(error.identifier()));
  }
}

void refuseKeywords(const Method& method, const py::kwargs& kwargs) {
  if (kwargs.size() != 0) throw py::type_error(where(method) + " takes no keyword arguments");
}

}  // namespace

void defineHostError(py::module_& module) {
  g_hostError =
      defineError(module, "HostError",
                  "A call the host or the binding refused: .identifier is the host's error identifier "
                  "(for example \"kaloimport:invalidArgument\"), .message its text.");
}

py::object callMethod(const Method& method, const py::args& args, const py::kwargs& kwargs) {
  refuseKeywords(method, kwargs);
  const qcos::CallResult result = runOnHost(method, hostArguments(method, args, 0));
  std::vector<std::string> kinds;
  for (const Form& form : method.forms) {
    if (form.info == result.method) kinds = form.results;
  }
  kinds.resize(result.results.size());
  if (result.results.empty()) return py::none();
  if (result.results.size() == 1) return fromHost(kinds[0], result.results[0]);
  py::tuple values(result.results.size());
  for (size_t i = 0; i < result.results.size(); ++i) values[i] = fromHost(kinds[i], result.results[i]);
  return std::move(values);
}

void construct(const Method& method, const py::args& args, const py::kwargs& kwargs) {
  if (args.size() == 0 || !py::isinstance(args[0], classFor(method.className))) {
    throw py::type_error(where(method) + ": __init__ needs an object of " + method.className);
  }
  refuseKeywords(method, kwargs);
  const qcos::CallResult result = runOnHost(method, hostArguments(method, args, 1));
  // The host always hands the constructor's new object back first.
  if (result.results.empty() || qcos::objectOf(result.results[0]) == nullptr) {
    throw std::runtime_error(where(method) + " made no object");
  }
  adopt(args[0], result.results[0]);
}

}  // namespace kaloimport_py
