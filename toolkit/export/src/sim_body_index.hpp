#pragma once

// The model's bodies under the flat names the simulation tree gives them, so
// that readers of the tree (the audit, the view) can reach what the tree does
// not carry: the stored volume, the material colour, the mass before bounds.

#include <map>
#include <string>

namespace kalo_toolkit {

class Body;
class ZoltModel;

namespace sim {

/// Flat link name -> body. Names are claimed in the order the tree builder
/// claims them (bodies first, subsystems depth first), so they match it.
std::map<std::string, const Body*> bodiesByLinkName(const ZoltModel& model);

}  // namespace sim
}  // namespace kalo_toolkit
