#pragma once

#include <kalo_csts2connections/export.hpp>
#include <ombra_math/ombra_math.hpp>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kalo::csts2connections {

// A point, line, plane, cylinder, circle or sphere owned by one part instance.
class KALO_CSTS2CONNECTIONS_API ConstraintGeometry {
 public:
  enum Type : std::int32_t {
    Point = 0,
    Line = 1,
    Plane = 2,
    Cylinder = 3,
    Circle = 4,
    Sphere = 5,
    Unknown = 6
  };

  ConstraintGeometry(Type type, const std::vector<std::string>& instancePath,
                     const ombra_math::Transform3_T& instanceTransform, const ombra_math::Vector3_T& position,
                     const ombra_math::Vector3_T& direction);
  // Direction (0, 0, 1).
  ConstraintGeometry(Type type, const std::vector<std::string>& instancePath,
                     const ombra_math::Transform3_T& instanceTransform,
                     const ombra_math::Vector3_T& position);
  ConstraintGeometry(const ConstraintGeometry&) = default;
  ConstraintGeometry& operator=(const ConstraintGeometry&) = default;
  ConstraintGeometry(ConstraintGeometry&&) = default;
  ConstraintGeometry& operator=(ConstraintGeometry&&) = default;
  virtual ~ConstraintGeometry() = default;

  // Same current type, same instance and the same point, or parallel directions
  // (planes) and additionally a position offset along the direction (others).
  bool isEquivalent(const ConstraintGeometry& other) const;

  std::string typeToString() const;
  std::string typeToShortString() const;
  // Case-insensitive; Unknown for any name not accepted.
  static Type getType(const std::string& name);
  static std::map<std::string, Type> createEnumMap();
  static const std::map<std::string, Type> s_zMapEnum;

  // "CAD_Assembly" for an empty path, else the path joined with "/".
  static std::string s_instanceName(const std::vector<std::string>& instancePath);
  // h ← 31 h + c over the bytes of the name taken as signed, modulo 2^32.
  static std::uint32_t s_instanceId(const std::string& instanceName);

  Type type;
  Type originalType;
  std::vector<std::string> instancePath;
  ombra_math::Transform3_T instanceTransform;
  ombra_math::Vector3_T position;
  ombra_math::Vector3_T direction;
  std::uint32_t instanceId;
  std::string instanceName;
};

}  // namespace kalo::csts2connections
