#pragma once

#include <kalo_csts2connections/constraint.hpp>
#include <kalo_csts2connections/export.hpp>
#include <kalo_csts2connections/frame.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace kalo::csts2connections {

// A joint between two instances: its type, the frames on both instances and the
// constraints it was derived from.
class KALO_CSTS2CONNECTIONS_API Connection {
 public:
  enum Type : std::int32_t {
    SixDof = 0,
    Bearing = 1,
    Bushing = 2,
    Cartesian = 3,
    ConstantVelocity = 4,
    Cylindrical = 5,
    Gimbal = 6,
    LeadScrew = 7,
    PinSlot = 8,
    Planar = 9,
    Prismatic = 10,
    Rectangular = 11,
    Revolute = 12,
    Spherical = 13,
    Telescoping = 14,
    Universal = 15,
    Weld = 16,
    Parallel = 17,
    Distance = 18,
    Perpendicular = 19,
    Unknown = 20,
    Failed = 21
  };

  // Values of `status`: why a weld stands in place of the connection.
  static constexpr std::int32_t s_statusDerived = 0;
  static constexpr std::int32_t s_statusNoRule = 1;
  static constexpr std::int32_t s_statusUnknownConstraint = 2;
  static constexpr std::int32_t s_statusUnknownGeometry = 3;

  Connection(Type type, const Frame& baseFrame, const Frame& followerFrame, const std::u16string& name);
  Connection(Type type, const Frame& baseFrame, const Frame& followerFrame,
             const std::vector<Constraint>& constraints);
  Connection(Type type, const std::vector<Constraint>& constraints);
  Connection(const Connection&) = default;
  Connection& operator=(const Connection&) = default;
  Connection(Connection&&) = default;
  Connection& operator=(Connection&&) = default;
  virtual ~Connection() = default;

  std::string getTypeName() const;

  Type type;
  std::int32_t status;
  std::vector<Constraint> constraintsUsed;
  std::vector<Constraint> constraintsOriginal;
  Frame baseFrame;
  Frame followerFrame;
  bool fromConstraints;
  std::u16string name;
};

}  // namespace kalo::csts2connections
