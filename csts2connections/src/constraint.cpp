#include <kalo_csts2connections/constraint.hpp>
#include <kalo_csts2connections/tolerances.hpp>

#include "instance_coordinates.hpp"

#include <cctype>
#include <cmath>

namespace kalo::csts2connections {

using ombra_math::Transform3_T;
using ombra_math::Vector3_T;

namespace {

using GType = ConstraintGeometry::Type;

bool isPair(GType t1, GType t2, GType a, GType b) { return (t1 == a && t2 == b) || (t1 == b && t2 == a); }

void replaceType(ConstraintGeometry& g, GType from, GType to) {
  if (g.type == from) g.type = to;
}

}  // namespace

Constraint::Constraint(Type type, const std::string& name, const ConstraintGeometry& geometryOne,
                       const ConstraintGeometry& geometryTwo)
    : type(type), originalType(type), name(name), geometryOne(geometryOne), geometryTwo(geometryTwo) {
  normalise();
}

void Constraint::normalise() {
  // Carries coordinates of instance two into those of instance one.
  const Transform3_T relative = geometryOne.instanceTransform.inverseCompose(geometryTwo.instanceTransform);

  if (type == Angle) {
    const Vector3_T d2 = relative.xformDir(geometryTwo.direction);
    if (isParallel(geometryOne.direction, d2)) {
      type = Parallel;
    } else if (isOrthogonal(geometryOne.direction, d2)) {
      type = Perpendicular;
    }
  }

  switch (type) {
    case Concentric:
      if (geometryOne.type == GType::Sphere && geometryTwo.type == GType::Sphere) {
        type = Coincident;
        geometryOne.type = GType::Point;
        geometryTwo.type = GType::Point;
      } else {
        replaceType(geometryOne, GType::Circle, GType::Cylinder);
        replaceType(geometryTwo, GType::Circle, GType::Cylinder);
      }
      return;
    case Coincident:
    case Distance:
    case Perpendicular:
    case Parallel:
    case Angle:
      break;
    default:  // Tangent, Rigid, Unknown
      return;
  }

  if ((type == Coincident || type == Distance) &&
      isPair(geometryOne.type, geometryTwo.type, GType::Plane, GType::Circle)) {
    replaceType(geometryOne, GType::Circle, GType::Plane);
    replaceType(geometryTwo, GType::Circle, GType::Plane);
  }

  for (ConstraintGeometry* g : {&geometryOne, &geometryTwo}) {
    replaceType(*g, GType::Cylinder, GType::Line);
    replaceType(*g, GType::Circle, GType::Line);
    replaceType(*g, GType::Sphere, GType::Point);
  }

  if (originalType == Distance) {
    const Vector3_T q = relative.xformPoint(geometryTwo.position);
    const Vector3_T& p = geometryOne.position;
    const Vector3_T& d = geometryOne.direction;
    const GType t1 = geometryOne.type;
    const GType t2 = geometryTwo.type;
    if ((t1 == GType::Line && t2 == GType::Line && isPointOnLine(p, d, q)) ||
        (t1 == GType::Plane && t2 == GType::Plane && isPointOnPlane(p, d, q)) ||
        (t1 == GType::Point && t2 == GType::Point && isSamePoint(p, q))) {
      type = Coincident;
    }
  }
}

void Constraint::revertGeometryTypeIfNeeded() {
  if (type == Coincident && geometryOne.originalType == GType::Circle &&
      geometryTwo.originalType == GType::Circle) {
    geometryOne.type = GType::Circle;
    geometryTwo.type = GType::Circle;
  }
}

std::string Constraint::getConstraintType() const {
  return geometryOne.typeToShortString() + geometryTwo.typeToShortString() + typeToShortString();
}

std::string Constraint::typeToString() const {
  switch (type) {
    case Coincident:
      return "Coincident";
    case Distance:
      return "Distance";
    case Concentric:
      return "Concentric";
    case Perpendicular:
      return "Perpendicular";
    case Parallel:
      return "Parallel";
    case Angle:
      return "Angle";
    case Tangent:
      return "Tangent";
    case Rigid:
      return "Rigid";
    case Unknown:
      break;
  }
  return "Unknown";
}

std::string Constraint::typeToShortString() const {
  switch (type) {
    case Coincident:
      return "Cn";
    case Distance:
      return "Dt";
    case Concentric:
      return "Cc";
    case Perpendicular:
      return "Pp";
    case Parallel:
      return "Pl";
    case Angle:
      return "An";
    case Tangent:
      return "Tn";
    case Rigid:
      return "Rg";
    case Unknown:
      break;
  }
  return "Un";
}

std::map<std::string, Constraint::Type> Constraint::createEnumMap() {
  return {{"coincident", Coincident}, {"distance", Distance},
          {"concentric", Concentric}, {"perpendicular", Perpendicular},
          {"parallel", Parallel},     {"angle", Angle},
          {"tangent", Tangent},       {"rigid", Rigid}};
}

Constraint::Type Constraint::getType(const std::string& name) {
  std::string key = name;
  for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const auto it = s_zMapEnum.find(key);
  return it == s_zMapEnum.end() ? Unknown : it->second;
}

const Vector3_T& Constraint::getPosition(std::uint32_t id) const {
  if (geometryOne.instanceId == id) return geometryOne.position;
  if (geometryTwo.instanceId == id) return geometryTwo.position;
  throw std::string(detail::kNotOnInstanceMessage);
}

bool Constraint::isParallel(const Vector3_T& a, const Vector3_T& b) {
  return a.isParallel(b, angleTolerance, true);
}

bool Constraint::isOrthogonal(const Vector3_T& a, const Vector3_T& b) {
  return a.isOrthogonal(b, angleTolerance);
}

bool Constraint::isPointOnLine(const Vector3_T& p, const Vector3_T& d, const Vector3_T& q) {
  return isParallel(d, q - p);
}

bool Constraint::isPointOnPlane(const Vector3_T& p, const Vector3_T& n, const Vector3_T& q) {
  // Distance of q from the plane through p. (Comparing n·q with the length of p
  // instead would put a plane's own points off it unless p lies along n.)
  const double length = n.norm();
  if (!(length > 0.0)) return false;
  return std::fabs(n.dot(q - p)) / length < 1e-8;
}

bool Constraint::isSamePoint(const Vector3_T& p, const Vector3_T& q) {
  return (p - q).norm2() < 1.0000000000000001e-16;
}

}  // namespace kalo::csts2connections
