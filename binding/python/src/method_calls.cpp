#include "method_calls.hpp"

#include <mutex>
#include <set>
#include <shared_mutex>
#include <stdexcept>

#include "host_object.hpp"
#include "host_values.hpp"
#include "model_access.hpp"
#include "path_arguments.hpp"
#include "python_errors.hpp"
#include "signature_text.hpp"

namespace kaloimport_py {
namespace {

PyObject* g_hostError = nullptr;

std::string where(const Method& method) { return method.className + "." + method.name; }

std::string shortClass(const std::string& fullName) { return fullName.substr(fullName.rfind('.') + 1); }

/// "Body.getLinkAt()", "Frame.__init__()": the function as Python's own messages name it.
std::string pythonName(const Method& method) {
  return shortClass(method.className) + "." + (method.role == Role::Constructor ? "__init__" : method.name) +
         "()";
}

/// Arguments a form takes as Python counts them: self included.
size_t pythonCount(const Method& method, const Form& form) {
  return form.arguments.size() + (method.role == Role::Constructor ? 1 : 0);
}

std::string argumentName(const Form& form, size_t i) {
  if (i < form.names.size() && !form.names[i].empty()) return "'" + form.names[i] + "'";
  return i == 0 && !form.arguments.empty() && form.arguments[0] == form.owner ? "'self'"
                                                                              : std::to_string(i + 1);
}

/// A host text argument that names a file ("path", "file_name") also takes an os.PathLike,
/// as Python's file functions do.
bool toHostArgument(const Form& form, size_t i, py::handle value, qcos::Value& out, std::string& why) {
  const bool path = i < form.names.size() && (form.names[i] == "path" || form.names[i] == "file_name");
  if (path && isPathLike(value)) {
    try {
      return toHost(form.arguments[i], localText(pathText(value, "path")), out, why);
    } catch (py::error_already_set& e) {
      why = e.what();
      return false;
    }
  }
  return toHost(form.arguments[i], value, out, why);
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
    while (i < count && toHostArgument(form, i, args[first + i], values[i], reason)) ++i;
    if (i == count) return values;
    if (reported == nullptr) {
      reported = &form;
      failedAt = i;
      why = reason;
    }
  }
  if (reported != nullptr) {
    throw py::type_error(pythonName(method) + " argument " + argumentName(*reported, failedAt) + " " + why);
  }
  std::set<size_t> counts;
  for (const Form& form : method.forms) counts.insert(pythonCount(method, form));
  const std::vector<size_t> list(counts.begin(), counts.end());
  std::string takes;
  for (size_t k = 0; k < list.size(); ++k)
    takes += (k == 0 ? "" : k + 1 == list.size() ? " or " : ", ") + std::to_string(list[k]);
  const size_t given = args.size();
  throw py::type_error(pythonName(method) + " takes " + takes + " positional argument" +
                       (counts.size() == 1 && *counts.begin() == 1 ? "" : "s") + " but " +
                       std::to_string(given) + (given == 1 ? " was" : " were") + " given");
}

qcos::CallResult runOnHost(const Method& method, const std::vector<qcos::Value>& values) {
  // A call may change a model: never while another thread writes one.
  std::unique_lock<std::shared_mutex> changing(modelAccess());
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
    const char* given = args.size() == 0 ? "nothing" : Py_TYPE(args[0].ptr())->tp_name;
    throw py::type_error(pythonName(method) + " argument 'self' must be " + shortClass(method.className) +
                         ", not " + given);
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
