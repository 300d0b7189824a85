#include <kalo_csts2connections/connection.hpp>

namespace kalo::csts2connections {

Connection::Connection(Type type, const Frame& baseFrame, const Frame& followerFrame,
                       const std::u16string& name)
    : type(type),
      status(s_statusDerived),
      baseFrame(baseFrame),
      followerFrame(followerFrame),
      fromConstraints(false),
      name(name) {}

Connection::Connection(Type type, const Frame& baseFrame, const Frame& followerFrame,
                       const std::vector<Constraint>& constraints)
    : type(type),
      status(s_statusDerived),
      constraintsUsed(constraints),
      constraintsOriginal(constraints),
      baseFrame(baseFrame),
      followerFrame(followerFrame),
      fromConstraints(true) {}

Connection::Connection(Type type, const std::vector<Constraint>& constraints)
    : Connection(type, Frame(), Frame(), constraints) {}

std::string Connection::getTypeName() const {
  static const char* const names[] = {
      "SixDof",      "Bearing",   "Bushing", "Cartesian", "ConstantVelocity", "Cylindrical",   "Gimbal",
      "LeadScrew",   "PinSlot",   "Planar",  "Prismatic", "Rectangular",      "Revolute",      "Spherical",
      "Telescoping", "Universal", "Weld",    "Parallel",  "Distance",         "Perpendicular", "Unknown",
      "Failed"};
  const auto index = static_cast<std::int64_t>(type);
  if (index < 0 || index >= static_cast<std::int64_t>(sizeof(names) / sizeof(names[0]))) return "Unknown";
  return names[index];
}

}  // namespace kalo::csts2connections
