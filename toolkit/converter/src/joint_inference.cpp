// One joint per constrained pair of parts: the freedom the constraints leave,
// the frames' positions, or a weld with a report when that cannot be solved.

#include <cmath>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <kalo_toolkit/cad_model.hpp>
#include <kalo_toolkit/cad_model_ref.hpp>
#include <kalo_toolkit/cad_unit.hpp>
#include <kalo_toolkit/constrain.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/vector_math.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "constrain_to_joint.hpp"
#include "freedom_set.hpp"
#include "primitive_synthesis.hpp"

namespace kalo_toolkit::detail {

namespace {

using util::vecCross;
using util::vecDot;
using util::vecIsParallel;
using util::vecNorm;
using util::vecNormalize;
using util::vecSub;

const char* const kWeldAdded = " A weld joint has been added between the constrained parts.";
const char* const kUnsupportedType =
    "Unsupported constraint type. A weld joint has been added between the constrained parts.";
const char* const kUnsupportedGeometry =
    "Unsupported geometry type for one or more constrained parts. A weld joint has been added between the "
    "constrained parts.";
const char* const kSecondPointPoint =
    "More than one point-point constraint is not supported. A weld joint has been added between the "
    "constrained "
    "parts.";
const char* const kConnectorNotAlone =
    "Massless connector is not supported if there is more than one constraint between parts. A weld joint "
    "has "
    "been added between the constrained parts.";

// Below this the two lines of the closest-point construction count as parallel.
constexpr double kLineDeterminantEpsilon = 2.220446049250313e-16;

void copy3(const double* in, double* out) {
  out[0] = in[0];
  out[1] = in[1];
  out[2] = in[2];
}

/// Locations and axes of a constraint's two entities in top-assembly
/// coordinates (axes of unit length unless zero); index 0 is entity 1.
struct EntityGeometry {
  double location[2][3];
  double axis[2][3];
  int high;  ///< the entity with the higher geometry type (entity 2 on a tie)
  int low;
};

EntityGeometry geometryOf(const ConstraintEntry& entry) {
  const Constrain& c = *entry.constrain;
  double local[4][3];
  c.getBody1LocationInAssemCS(local[0]);
  c.getBody1AxisInAssemCS(local[1]);
  c.getBody2LocationInAssemCS(local[2]);
  c.getBody2AxisInAssemCS(local[3]);
  EntityGeometry g;
  for (int side = 0; side < 2; ++side) {
    entry.assemblyPath.transformToAssemCS(local[2 * side], g.location[side], false);
    entry.assemblyPath.transformToAssemCS(local[2 * side + 1], g.axis[side], true);
    // Scales on the path lengthen directions; the tolerance tests want unit axes.
    vecNormalize(g.axis[side]);
  }
  g.high = c.getEntity1Type() > c.getEntity2Type() ? 0 : 1;
  g.low = 1 - g.high;
  return g;
}

/// The part's definition's centre of gravity in top-assembly coordinates.
void centreOfGravity(const PartSide& side, double out[3]) {
  const double zero[3] = {0, 0, 0};
  side.placement.transformToAssemCS(side.model ? side.model->getCG() : zero, out, false);
}

std::string modelName(const PartSide& side) { return side.model ? side.model->getName() : std::string(); }

/// The outermost reference's node ID, then ":" and the node ID of each deeper
/// reference as long as its placement was converted.
std::string componentNodeID(const AssemComp& assemblyPath, const AssemComp* component,
                            const ModelMap& modelMap) {
  if (!component || component->cadModelRefs.empty() || !component->cadModelRefs.front()) return std::string();
  PlacementKey key = placementKey(assemblyPath);
  key.push_back(component->cadModelRefs.front().get());
  std::string id = component->cadModelRefs.front()->getNodeID();
  for (size_t i = 1; i < component->cadModelRefs.size(); ++i) {
    const boost::shared_ptr<CadModelRef>& ref = component->cadModelRefs[i];
    if (!ref) break;
    key.push_back(ref.get());
    if (modelMap.find(key) == modelMap.end()) break;
    id += ":" + ref->getNodeID();
  }
  return id;
}

std::string jointNodeID(const ConstraintEntry& first, const ModelMap& modelMap) {
  const std::string a = componentNodeID(first.assemblyPath, first.constrain->getComp1(), modelMap);
  const std::string b = componentNodeID(first.assemblyPath, first.constrain->getComp2(), modelMap);
  return a <= b ? a + ":-:" + b : b + ":-:" + a;
}

class PairInference {
 public:
  PairInference(ConstrainToJoint& pair, const boost::shared_ptr<ZoltModel>& model, const ModelMap& modelMap,
                ConnectedSet& connected)
      : pair(pair),
        entries(pair.getEntries()),
        model(model),
        connected(connected),
        unit(s_getDefaultCadUnit()->lengthUnit),
        tol{s_tolerances().linear, s_tolerances().angular} {
    if (entries.empty()) throw std::invalid_argument("a constrained pair without constraints");
    geometry.reserve(entries.size());
    for (const ConstraintEntry& entry : entries) geometry.push_back(geometryOf(entry));
    nodeID = jointNodeID(entries.front(), modelMap);
  }

  InferenceResult run() {
    std::string details = "Unknown";
    int pointPointCount = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
      const Constrain& c = *entries[i].constrain;
      int category = entries[i].codes.rotation;
      if (c.getType() < 0 || c.getType() > kMaxConstrainType) {
        details = kUnsupportedType;
        category = kCategoryInvalidInput;
      }
      if (c.getEntity1Type() < 0 || c.getEntity1Type() > kMaxGeomType || c.getEntity2Type() < 0 ||
          c.getEntity2Type() > kMaxGeomType) {
        details = kUnsupportedGeometry;
        category = kCategoryInvalidInput;
      }
      if (c.getType() == 0 && c.getEntity1Type() == 0 && c.getEntity2Type() == 0 && ++pointPointCount > 1 &&
          category != kCategoryInvalidInput) {
        details = kSecondPointPoint;
        category = kCategoryUnsolvable;
      }
      if (category > 3) return special(i, category, details);
    }
    return general();
  }

 private:
  InferenceResult special(size_t index, int category, std::string details) {
    const ConstraintEntry& entry = entries[index];
    const bool connector = category >= 4 && category <= 6;
    if (connector && entries.size() > 1) {
      details = kConnectorNotAlone;
      category = kCategoryUnsolvable;
    }
    InferenceResult result;
    if (category == kCategoryConnectorSS) {
      result.joint = boost::shared_ptr<Joint>(new Joint(model, entry.side1.part, entry.side2.part,
                                                        geometry[index].location[0],
                                                        geometry[index].location[1], unit, nodeID));
      result.joint->addMassLessConnectorPrims(KALOT_JOINT_MASSLESS_CONNECTOR_SS, Joint::zoltNullAxis, "WORLD",
                                              Joint::zoltNullAxis, "WORLD");
      connect(entry);
      return result;
    }
    const std::string& name = entry.constrain->getName();
    result = weld(entry, "Could not solve for constraint between " + modelName(entry.side1) + " and " +
                             modelName(entry.side2) + " because of CAD constraint " + name);
    pair.appendReport(modelName(entry.side1) + ", " + modelName(entry.side2), name, details);
    return result;
  }

  InferenceResult general() {
    FreedomSet rotations, translations;
    AxisPositions positions;
    accumulate(rotations, translations, positions);

    const char* reason = validate(rotations, translations);
    const ConstraintEntry& first = entries.front();
    if (reason) {
      InferenceResult result =
          weld(first, "The VelmoraMultibody CAD translator cannot solve for the CAD constraint between " +
                          modelName(first.side1) + " and " + modelName(first.side2) + ".\n " + reason);
      pair.appendReport(modelName(first.side1) + ", " + modelName(first.side2), "<All constrains>",
                        std::string(reason) + kWeldAdded);
      return result;
    }

    double base[3], follower[3];
    framePositions(rotations, translations, base, follower);
    InferenceResult result;
    result.joint = boost::shared_ptr<Joint>(
        new Joint(model, first.side1.part, first.side2.part, base, follower, unit, nodeID));
    int translationSlots[3] = {-1, -1, -1}, rotationSlots[3] = {-1, -1, -1};
    for (int k = 0; k < 3; ++k) {
      translationSlots[k] = translations.freeColumn(k);
      rotationSlots[k] = rotations.freeColumn(k);
    }
    synthesizePrimitives(*result.joint, translationSlots, translations.axes, rotationSlots, rotations.axes);
    connect(first);
    return result;
  }

  void accumulate(FreedomSet& rotations, FreedomSet& translations, AxisPositions& positions) const {
    for (size_t i = 0; i < entries.size(); ++i) {
      const ConstraintCodes codes = entries[i].codes;
      const EntityGeometry& g = geometry[i];
      const double* high = g.axis[g.high];
      const double* low = g.axis[g.low];
      if (i == 0) {
        const bool paired = std::abs(codes.rotation) == 1;
        rotations =
            freedomSetOfCode(codes.rotation, paired ? high : g.axis[0], paired ? low : g.axis[1], true, tol);
        translations = freedomSetOfCode(codes.translation, high, low, false, tol);
        applyAxisPositionRule(rotations, translations, g.location[g.high], positions, tol);
      } else {
        mergeConstraint(rotations, translations, positions, codes.rotation, codes.translation, high, low,
                        g.location[g.high], g.location[g.low], tol);
      }
    }
  }

  const char* validate(const FreedomSet& rotations, const FreedomSet& translations) const {
    const int r = rotations.freeCount();
    const int p = translations.freeCount();
    if (r == 1 && p == 1 &&
        !vecIsParallel(rotations.column(rotations.freeColumn(0)),
                       translations.column(translations.freeColumn(0)), tol.angular))
      return "Non-collinear prismatic and revolute axes in a cylindrical joint are not supported.";
    if (r == 1 && p == 2) {
      double normal[3], off[3];
      vecCross(translations.column(translations.freeColumn(0)),
               translations.column(translations.freeColumn(1)), normal);
      vecCross(rotations.column(rotations.freeColumn(0)), normal, off);
      if (vecNorm(off) > tol.angular)
        return "The two prismatic axes are not lying in the plane perpendicular to the revolute axis in a "
               "planar "
               "joint. This axis configuration is not supported.";
    }
    if (r == 2) return "Two sequential revolute joints are not supported.";
    if (r == 3 && p == 1)
      return "Serial combination(s) of a prismatic and a spherical joint are not supported.";
    if (r == 3 && p == 2) return "Serial combination(s) of prismatic and spherical joints are not supported.";
    return nullptr;
  }

  /// Whether an entry's two locations may carry the frames of the final joint.
  bool mayPlace(const EntityGeometry& g, const FreedomSet& rotations, const FreedomSet& translations) const {
    const int p = translations.freeCount();
    double d[3];
    if (p == 0) {
      vecSub(g.location[0], g.location[1], d);
      if (vecNorm(d) < tol.linear) return true;
      return vecIsParallel(rotations.column(rotations.freeColumn(0)), d, tol.linear);
    }
    if (p == 1) {
      // Locations closer than the linear tolerance coincide: no direction to test.
      vecSub(g.location[1], g.location[0], d);
      if (vecNorm(d) < tol.linear) return true;
      return vecIsParallel(d, translations.column(translations.freeColumn(0)), tol.linear);
    }
    if (p == 2) {
      double normal[3];
      vecCross(translations.column(translations.freeColumn(0)),
               translations.column(translations.freeColumn(1)), normal);
      vecNormalize(normal);
      vecSub(g.location[1], g.location[0], d);
      vecNormalize(d);
      return std::fabs(vecDot(d, normal)) < tol.angular;
    }
    return true;
  }

  void framePositions(const FreedomSet& rotations, const FreedomSet& translations, double base[3],
                      double follower[3]) const {
    const int r = rotations.freeCount();
    copy3(geometry.front().location[0], base);
    copy3(geometry.front().location[1], follower);
    for (size_t i = 0; i < entries.size(); ++i) {
      const EntityGeometry& g = geometry[i];
      if (translations.freeCount() == 0 && r == 0) {
        copy3(g.location[0], base);
        copy3(g.location[0], follower);
        return;
      }
      if (!mayPlace(g, rotations, translations)) continue;
      const ConstraintCodes codes = entries[i].codes;
      if (r > 0 && codes.rotation != 0) {
        // Only a constraint that leaves motion about and along one axis marks it; later ones may refine.
        if (codes.rotation == -2 && codes.translation == -2) {
          copy3(g.location[0], base);
          copy3(g.location[1], follower);
        }
        continue;
      }
      copy3(g.location[0], base);
      copy3(g.location[1], follower);
      return;
    }

    // Not settled: the first constraint across the line base-follower fixes one point on it.
    double d[3];
    vecSub(base, follower, d);
    if (vecNorm(d) >= tol.linear) vecNormalize(d);
    for (size_t i = 0; i < entries.size(); ++i) {
      const EntityGeometry& g = geometry[i];
      double across[3];
      vecSub(g.location[0], g.location[1], across);
      vecNormalize(across);
      if (std::fabs(vecDot(across, d)) >= tol.angular) continue;
      double point[3];
      if (closestPointOnLine(base, follower, g.location[0], g.location[1], point)) {
        copy3(point, base);
        copy3(point, follower);
        return;
      }
    }
    copy3(base, follower);
  }

  /// The point of line a0-a1 closest to line b0-b1; false when the lines are
  /// parallel or either is a single point.
  static bool closestPointOnLine(const double a0[3], const double a1[3], const double b0[3],
                                 const double b1[3], double out[3]) {
    double u[3], v[3], w[3];
    vecSub(a1, a0, u);
    vecSub(b1, b0, v);
    vecNormalize(u);
    vecNormalize(v);
    vecSub(a0, b0, w);
    const double uu = vecDot(u, u), uv = vecDot(u, v), vv = vecDot(v, v);
    const double det = uu * vv - uv * uv;
    if (det < kLineDeterminantEpsilon) return false;
    const double s = (uv * vecDot(v, w) - vv * vecDot(u, w)) / det;
    for (int k = 0; k < 3; ++k) out[k] = a0[k] + s * u[k];
    return true;
  }

  InferenceResult weld(const ConstraintEntry& entry, const std::string& status) {
    double base[3], follower[3];
    centreOfGravity(entry.side1, base);
    centreOfGravity(entry.side2, follower);
    InferenceResult result;
    result.joint = boost::shared_ptr<Joint>(
        Joint::zoltCreateWeldJoint(model, entry.side1.part, entry.side2.part, base, follower, unit, nodeID));
    result.joint->setStatus(status);
    result.status = KALOT_UNHANDLED_CONSTRAINT;
    connect(entry);
    return result;
  }

  void connect(const ConstraintEntry& entry) {
    connected.insert(entry.side1.part);
    connected.insert(entry.side2.part);
  }

  ConstrainToJoint& pair;
  const std::vector<ConstraintEntry>& entries;
  boost::shared_ptr<ZoltModel> model;
  ConnectedSet& connected;
  KalotLengthUnit unit;
  Tolerance tol;
  std::vector<EntityGeometry> geometry;
  std::string nodeID;
};

}  // namespace

InferenceResult inferJoint(ConstrainToJoint& pair, const boost::shared_ptr<ZoltModel>& model,
                           ModelMap& modelMap, ConnectedSet& connected) {
  return PairInference(pair, model, modelMap, connected).run();
}

}  // namespace kalo_toolkit::detail
