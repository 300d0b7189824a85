#include "package_registry.hpp"

#include <functional>
#include <map>
#include <set>

#include <kalo_qli/parameter_names.hpp>
#include <qcos_host/host.hpp>

namespace kaloimport_py {
namespace {

// The registry marks no method as static: a form whose first argument is not
// the class itself (readFromXML, dynamiccast, the joint factories) is one.
Role roleOf(const Class& cls, const std::string& name, const std::vector<Form>& own) {
  if (name == cls.shortName) return Role::Constructor;
  for (const Form& form : own) {
    if (!form.arguments.empty() && form.arguments[0] == cls.fullName) return Role::Instance;
  }
  return Role::Static;
}

Class readClass(qcos::Host& host, const std::string& fullName) {
  Class cls;
  cls.fullName = fullName;
  const qcos::ClassInfo* info = host.classInfo(fullName);
  const char* shortName = info ? info->shortName() : nullptr;
  cls.shortName = shortName ? shortName : fullName.substr(fullName.rfind('.') + 1);
  const char* description = info ? info->description() : nullptr;
  cls.description = description ? description : "";
  cls.superclass = host.superclassOf(fullName);

  std::map<std::string, size_t> byName;
  std::vector<std::vector<Form>> own;
  for (const qcos::MethodEntry& entry : host.methods(fullName)) {
    const std::string name = entry.info->name();
    auto [it, added] = byName.emplace(name, own.size());
    if (added) own.emplace_back();
    std::vector<std::string> names = kalo_toolkit_qli::parameterNames(*entry.info);
    names.resize(entry.argumentKinds.size());
    own[it->second].push_back(Form{entry.info, fullName, entry.argumentKinds, names, entry.resultKinds});
  }
  std::vector<std::string> names(byName.size());
  for (const auto& [name, index] : byName) names[index] = name;
  for (size_t i = 0; i < names.size(); ++i) {
    Method method;
    method.className = fullName;
    method.name = names[i];
    method.role = roleOf(cls, names[i], own[i]);
    method.forms = own[i];
    method.ownForms = own[i].size();
    cls.methods.push_back(std::move(method));
  }
  return cls;
}

}  // namespace

std::vector<Class> readPackage(const std::string& packageName) {
  qcos::Host& host = qcos::Host::instance();
  std::vector<Class> listed;
  std::map<std::string, size_t> index;
  for (const std::string& fullName : host.classNames(packageName)) {
    index[fullName] = listed.size();
    listed.push_back(readClass(host, fullName));
  }

  // The host tries a class's own forms of a name, then its superclasses'.
  for (Class& cls : listed) {
    for (Method& method : cls.methods) {
      if (method.role == Role::Constructor) continue;
      std::set<std::string> seen{cls.fullName};
      for (std::string up = cls.superclass; !up.empty() && seen.insert(up).second;) {
        auto it = index.find(up);
        if (it == index.end()) break;
        const Class& ancestor = listed[it->second];
        for (const Method& inherited : ancestor.methods) {
          if (inherited.name != method.name || inherited.role == Role::Constructor) continue;
          for (size_t k = 0; k < inherited.ownForms; ++k) method.forms.push_back(inherited.forms[k]);
        }
        up = ancestor.superclass;
      }
    }
  }

  // Superclasses first, so that each Python class can name its base; a cycle
  // or a superclass outside the package leaves a class without a package base.
  std::vector<Class> ordered;
  std::set<std::string> placed;
  std::set<std::string> visiting;
  std::function<void(const Class&)> place = [&](const Class& cls) {
    if (placed.count(cls.fullName) != 0 || !visiting.insert(cls.fullName).second) return;
    auto it = index.find(cls.superclass);
    if (it != index.end()) place(listed[it->second]);
    if (placed.insert(cls.fullName).second) ordered.push_back(cls);
  };
  for (const Class& cls : listed) place(cls);
  return ordered;
}

}  // namespace kaloimport_py
