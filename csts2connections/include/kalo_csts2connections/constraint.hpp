#pragma once

#include <kalo_csts2connections/constraint_geometry.hpp>
#include <kalo_csts2connections/export.hpp>
#include <ombra_math/ombra_math.hpp>

#include <cstdint>
#include <map>
#include <string>

namespace kalo::csts2connections {

// A mating constraint between two geometries. The constructor normalises the
// constraint type and the geometry types so that equivalent descriptions end
// with the same pair code.
class KALO_CSTS2CONNECTIONS_API Constraint {
 public:
  enum Type : std::int32_t {
    Coincident = 0,
    Distance = 1,
    Concentric = 2,
    Perpendicular = 3,
    Parallel = 4,
    Angle = 5,
    Tangent = 6,
    Rigid = 7,
    Unknown = 8
  };

  Constraint(Type type, const std::string& name, const ConstraintGeometry& geometryOne,
             const ConstraintGeometry& geometryTwo);
  Constraint(const Constraint&) = default;
  Constraint& operator=(const Constraint&) = default;
  Constraint(Constraint&&) = default;
  Constraint& operator=(Constraint&&) = default;
  virtual ~Constraint() = default;

  // Short text of geometry one, of geometry two, then of the constraint ("PlnPlnCn").
  std::string getConstraintType() const;

  std::string typeToString() const;
  std::string typeToShortString() const;
  // Case-insensitive; Unknown for any name not accepted.
  static Type getType(const std::string& name);
  static std::map<std::string, Type> createEnumMap();
  static const std::map<std::string, Type> s_zMapEnum;

  // Two coincident circles keep their circle types (normalisation made them lines).
  void revertGeometryTypeIfNeeded();

  // Position of the geometry on instance `id`, geometry one tested first. Throws
  // the std::string "Given key is not associated with both the geometries in the
  // constraint." when neither geometry belongs to that instance.
  const ombra_math::Vector3_T& getPosition(std::uint32_t id) const;

  static bool isParallel(const ombra_math::Vector3_T& a, const ombra_math::Vector3_T& b);
  static bool isOrthogonal(const ombra_math::Vector3_T& a, const ombra_math::Vector3_T& b);
  // q lies on the line through p with direction d.
  static bool isPointOnLine(const ombra_math::Vector3_T& p, const ombra_math::Vector3_T& d,
                            const ombra_math::Vector3_T& q);
  // q lies on the plane through p with normal n: |n·(q − p)| / |n| < 1e-8.
  static bool isPointOnPlane(const ombra_math::Vector3_T& p, const ombra_math::Vector3_T& n,
                             const ombra_math::Vector3_T& q);
  // Distance below 1e-8.
  static bool isSamePoint(const ombra_math::Vector3_T& p, const ombra_math::Vector3_T& q);

  Type type;
  Type originalType;
  std::string name;
  ConstraintGeometry geometryOne;
  ConstraintGeometry geometryTwo;

 private:
  void normalise();
};

}  // namespace kalo::csts2connections
