// Connections of instance pairs left with two or three constraints after the
// clean-up, decided by the combination of their pair codes.

#include <kalo_csts2connections/constraints2connections.hpp>

#include "instance_coordinates.hpp"

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace kalo::csts2connections {

using ombra_math::Vector3_T;

namespace {

// The distinct pair codes of a constraint list.
class CodeSet {
 public:
  explicit CodeSet(std::initializer_list<std::string> codes) {
    for (const std::string& code : codes) {
      if (std::find(codes_.begin(), codes_.end(), code) == codes_.end()) codes_.push_back(code);
    }
  }
  // Equal as sets to the distinct codes of `option`.
  bool equals(std::initializer_list<const char*> option) const {
    for (const char* code : option) {
      if (std::find(codes_.begin(), codes_.end(), code) == codes_.end()) return false;
    }
    for (const std::string& code : codes_) {
      if (std::find_if(option.begin(), option.end(), [&](const char* o) { return code == o; }) ==
          option.end()) {
        return false;
      }
    }
    return true;
  }

 private:
  std::vector<std::string> codes_;
};

// The set of codes equals one of `options`.
bool matchesOne(const CodeSet& codes, std::initializer_list<std::initializer_list<const char*>> options) {
  for (const auto& option : options) {
    if (codes.equals(option)) return true;
  }
  return false;
}

// The set of codes is {x, y} with x from `first` and y from `second`.
bool matchesPair(const CodeSet& codes, std::initializer_list<const char*> first,
                 std::initializer_list<const char*> second) {
  for (const char* x : first) {
    for (const char* y : second) {
      if (codes.equals({x, y})) return true;
    }
  }
  return false;
}

const std::initializer_list<const char*> kAxisCodes = {"LinLinCn", "CylCylCc"};
const std::initializer_list<const char*> kPlaneOrientationCodes = {"PlnPlnPl", "PlnPlnPp", "PlnPlnAn"};
const std::initializer_list<const char*> kOrientationCodes = {"PlnPlnPl", "PlnPlnPp", "PlnPlnAn", "LinLinPl"};
const std::initializer_list<const char*> kPlaneCodes = {"PlnPlnCn", "PlnPlnDt", "PlnPlnPl"};

}  // namespace

Connection Constraints2Connections::processTwo(const Constraints& constraints) const {
  if (constraints.size() < 2) return processGeneral(constraints);
  const Constraint& c0 = constraints[0];
  const Constraint& c1 = constraints[1];
  const ConstraintGeometry& a = c0.geometryOne;
  const ConstraintGeometry& b = c0.geometryTwo;
  // c1's geometry on A's instance, and its other geometry. Positions and
  // directions of c1 are taken from the geometry on A's instance, so that the
  // result does not depend on the order in which c1 names its geometries.
  const ConstraintGeometry& c1OnA = detail::geometryOn(c1, a.instanceId);
  const ConstraintGeometry& c1Other = detail::otherGeometry(c1, c1OnA);
  const Vector3_T& pA = a.position;
  const Vector3_T& dA = a.direction;
  const Vector3_T& dB = c1OnA.direction;
  const Vector3_T& pC1 = c1OnA.position;
  const Vector3_T& dC1 = c1OnA.direction;
  const std::string code0 = c0.getConstraintType();
  const std::string code1 = c1.getConstraintType();
  const CodeSet codes{code0, code1};

  // 1: an axis and a plane contact.
  if (matchesOne(codes, {{"LinLinCn", "PlnPlnCn"},
                         {"LinLinCn", "PlnPlnDt"},
                         {"CylCylCc", "PlnPlnCn"},
                         {"CylCylCc", "PlnPlnDt"}})) {
    if (Constraint::isParallel(dA, dB)) return createRevoluteJoint(constraints);
    if (Constraint::isOrthogonal(dA, dB)) return createPrismaticJoint(constraints);
    return createWeldJoint(constraints);
  }
  // 2: an axis and a plane orientation.
  if (matchesPair(codes, kAxisCodes, kPlaneOrientationCodes)) return createPrismaticJoint(constraints);
  // 3: two axes.
  if (matchesOne(codes, {{"LinLinCn"}, {"LinLinCn", "CylCylCc"}, {"CylCylCc"}})) {
    if (!Constraint::isParallel(dA, dC1)) return createWeldJoint(constraints);
    const Vector3_T pC2 = detail::pointIn(a, c1Other, c1Other.position);
    if (Constraint::isPointOnLine(pA, dA, pC1) || Constraint::isPointOnLine(pA, dA, pC2)) {
      return createCylindricalJoint(constraints);
    }
    return createPrismaticJoint(constraints);
  }
  // 4: an axis and a line orientation.
  if (matchesPair(codes, kAxisCodes, {"LinLinPl", "LinLinPp", "LinLinAn"})) {
    if (c0.type == Constraint::Coincident) {
      return computeConnectionAlongZAxis(Connection::Prismatic, pA, dA, a, b, constraints);
    }
    return computeConnectionAlongZAxis(Connection::Prismatic, pC1, dC1, a, b, constraints);
  }
  // 5: an axis and a point.
  if (matchesPair(codes, kAxisCodes, {"PntPntCn", "PntPntDt"})) return createRevoluteJoint(constraints);
  // 6: two plane contacts meeting in a line.
  if (matchesOne(codes, {{"PlnPlnCn"}, {"PlnPlnCn", "PlnPlnDt"}, {"PlnPlnDt"}}) &&
      !Constraint::isParallel(dA, dB)) {
    const Vector3_T& p = c0.type == Constraint::Coincident ? pA : pC1;
    return computeConnectionAlongZAxis(Connection::Prismatic, p, dA.cross(dB), a, b, constraints);
  }
  // 7, 8: a plane contact and an orientation.
  if (matchesPair(codes, {"PlnPlnCn"}, kOrientationCodes)) {
    if (c0.type == Constraint::Coincident) {
      return computeConnectionAlongZAxis(Connection::Rectangular, pA, dA, a, b, constraints);
    }
    return computeConnectionAlongZAxis(Connection::Rectangular, pC1, dC1, a, b, constraints);
  }
  if (matchesPair(codes, {"PlnPlnDt"}, kOrientationCodes)) {
    if (c0.type == Constraint::Distance) {
      return computeConnectionAlongZAxis(Connection::Rectangular, pA, dA, a, b, constraints);
    }
    return computeConnectionAlongZAxis(Connection::Rectangular, pC1, dC1, a, b, constraints);
  }
  // 9: parallel planes only.
  if (matchesOne(codes, {{"PlnPlnPl"}})) {
    const Vector3_T m = (pA + c1.getPosition(a.instanceId)) / 2.0;
    return computeThreeAxisConnection(Connection::Cartesian, m, Vector3_T::I, Vector3_T::J, Vector3_T::K, a,
                                      b, constraints);
  }
  // 10: a point and two perpendicular axes.
  if (matchesOne(codes, {{"PntPntCn", "LinLinPp"}, {"PntPntCn", "PlnPlnPp"}})) {
    return createUniversalJoint(constraints);
  }
  // 11: two points fix an axis.
  if (matchesOne(codes, {{"PntPntCn"}})) {
    const Vector3_T& p1 = c1.getPosition(a.instanceId);
    return computeConnectionAlongZAxis(Connection::Revolute, (pA + p1) / 2.0, p1 - pA, a, b, constraints);
  }
  // 12, 13: a point and a plane normal as the axis.
  const bool coincidentPoints = matchesPair(codes, {"PntPntCn"}, kPlaneCodes);
  if (coincidentPoints || matchesPair(codes, {"PntPntDt"}, kPlaneCodes)) {
    const ConstraintGeometry* point = nullptr;
    const ConstraintGeometry* pointOther = nullptr;
    const ConstraintGeometry* plane = nullptr;
    const ConstraintGeometry* planeOther = nullptr;
    findCurrentGeom(constraints, point, pointOther, ConstraintGeometry::Point);
    findOriginalGeom(constraints, plane, planeOther, ConstraintGeometry::Plane);
    if (point == nullptr || plane == nullptr) return processGeneral(constraints);
    // The normal is needed in the coordinates of the point's instance.
    const Vector3_T axis = detail::directionIn(*point, *plane, plane->direction);
    if (coincidentPoints) {
      return computeConnectionAlongZAxis(Connection::Revolute, point->position, axis, *point, *pointOther,
                                         constraints);
    }
    const Vector3_T wa = point->instanceTransform.xformPoint(point->position);
    const Vector3_T wb = pointOther->instanceTransform.xformPoint(pointOther->position);
    const Vector3_T m = point->instanceTransform.inverseXformPoint((wb + wa) / 2.0);
    return computeConnectionAlongZAxis(Connection::Revolute, m, axis, *point, *pointOther, constraints);
  }
  // 14: two rigid point pairs.
  if (code0 + "-" + code1 == "PntPntRg-PntPntRg") return createWeldJoint(constraints);
  return processGeneral(constraints);
}

Connection Constraints2Connections::createUniversalJoint(const Constraints& constraints) const {
  if (constraints.size() < 2) return processGeneral(constraints);
  const ConstraintGeometry::Type t = constraints[1].geometryOne.type;
  const bool axesInSecond = t == ConstraintGeometry::Line || t == ConstraintGeometry::Plane;
  const Constraint& axes = axesInSecond ? constraints[1] : constraints[0];
  const Constraint& point = axesInSecond ? constraints[0] : constraints[1];
  const ConstraintGeometry& q1 = axes.geometryOne;
  const ConstraintGeometry& q2 = axes.geometryTwo;
  const ConstraintGeometry& k1 = point.geometryOne;
  const Vector3_T v = q1.instanceTransform.inverseCompose(q2.instanceTransform).xformDir(q2.direction);
  // Both axes are in q1's coordinates; the frame is built on k1's instance.
  return computeTwoAxisConnection(Connection::Universal, k1.position,
                                  detail::directionIn(k1, q1, q1.direction), detail::directionIn(k1, q1, v),
                                  k1, point.geometryTwo, constraints);
}

Connection Constraints2Connections::processThree(const Constraints& constraints) const {
  if (constraints.size() < 3) return processGeneral(constraints);
  const Constraint& c0 = constraints[0];
  const CodeSet codes{c0.getConstraintType(), constraints[1].getConstraintType(),
                      constraints[2].getConstraintType()};
  if (matchesOne(codes, {{"LinLinCn", "PlnPlnCn"},
                         {"LinLinCn", "PlnPlnCn", "PlnPlnDt"},
                         {"CylCylCc", "PlnPlnCn"},
                         {"CylCylCc", "PlnPlnCn", "PlnPlnDt"},
                         {"LinLinCn", "PlnPlnCn", "PlnPlnAn"},
                         {"LinLinCn", "PlnPlnDt", "PlnPlnAn"},
                         {"CylCylCc", "PlnPlnCn", "PlnPlnAn"},
                         {"CylCylCc", "PlnPlnDt", "PlnPlnAn"},
                         {"LinLinCn", "PlnPlnCn", "PlnPlnPl"},
                         {"LinLinCn", "PlnPlnDt", "PlnPlnPl"},
                         {"CylCylCc", "PlnPlnCn", "PlnPlnPl"},
                         {"CylCylCc", "PlnPlnDt", "PlnPlnPl"},
                         {"PntPntCn", "PlnPlnCn"},
                         {"PntPntCn"},
                         {"PlnPlnCn"},
                         {"PlnPlnCn", "PlnPlnDt"},
                         {"PlnPlnDt"},
                         {"LinLinCn", "PlnPlnCn", "PlnPlnPp"},
                         {"CylCylCc", "PlnPlnCn", "PlnPlnPp"}})) {
    return createWeldJoint(constraints);
  }
  if (matchesOne(codes, {{"PlnPlnPl"}})) {
    const ConstraintGeometry& a = c0.geometryOne;
    const Vector3_T m = ((a.position + constraints[1].getPosition(a.instanceId)) / 2.0 +
                         constraints[2].getPosition(a.instanceId)) /
                        2.0;
    return computeThreeAxisConnection(Connection::Cartesian, m, Vector3_T::I, Vector3_T::J, Vector3_T::K, a,
                                      c0.geometryTwo, constraints);
  }
  return processGeneral(constraints);
}

}  // namespace kalo::csts2connections
