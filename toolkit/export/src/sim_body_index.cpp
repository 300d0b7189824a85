#include "sim_body_index.hpp"

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/subsystem_ref.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "sim_names.hpp"

namespace kalo_toolkit {
namespace sim {

namespace {

void collect(const Subsystem& s, const std::string& path, NameTable* names,
             std::map<std::string, const Body*>* out) {
  const std::string prefix = path.empty() ? std::string() : path + kPathSeparator;
  for (size_t i = 0; i < s.getBodyRefCount(); ++i) {
    const auto ref = s.getBodyRefAt(i);
    if (!ref || !ref->getBody()) continue;
    (*out)[names->claim(prefix + ref->getBody()->getName())] = ref->getBody().get();
  }
  for (size_t i = 0; i < s.getSubsystemRefCount(); ++i) {
    const auto ref = s.getSubsystemRefAt(i);
    if (ref && ref->getSubsystem())
      collect(*ref->getSubsystem(), prefix + ref->getSubsystem()->getName(), names, out);
  }
}

}  // namespace

std::map<std::string, const Body*> bodiesByLinkName(const ZoltModel& model) {
  std::map<std::string, const Body*> out;
  NameTable names;
  if (const Subsystem* top = model.getTopSubsystem().get()) collect(*top, "", &names, &out);
  return out;
}

}  // namespace sim
}  // namespace kalo_toolkit
