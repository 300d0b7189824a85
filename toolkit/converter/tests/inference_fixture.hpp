#pragma once

// Small CAD assemblies built in memory, converted into bodies and subsystems
// the way the conversion driver does, so the inference can be driven directly.

#include <array>
#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <boost/make_shared.hpp>
#include <boost/shared_ptr.hpp>

#include <kalo_toolkit/assem_comp.hpp>
#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/cad_model.hpp>
#include <kalo_toolkit/cad_model_ref.hpp>
#include <kalo_toolkit/constrain.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/frame_ref.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/primitive.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "../src/constrain_to_joint.hpp"
#include "../src/conversion_context.hpp"

namespace kalo_toolkit::testing {

using Vec3 = std::array<double, 3>;
using Refs = std::vector<boost::shared_ptr<CadModelRef>>;

inline boost::shared_ptr<CadModel> makeModel(const std::string& name, const Vec3& cg = {0, 0, 0}) {
  const double inertia[6] = {0, 0, 0, 0, 0, 0};
  return boost::make_shared<CadModel>(name, 1.0, inertia, cg.data(), 1.0, 1.0, name + ".stl", nullptr);
}

/// Places `child` in `parent` with identity rotation at `at`.
inline boost::shared_ptr<CadModelRef> place(const boost::shared_ptr<CadModel>& parent,
                                            const std::string& name, const std::string& nodeID,
                                            const boost::shared_ptr<CadModel>& child,
                                            const Vec3& at = {0, 0, 0}, bool flexible = false,
                                            double scale = 1.0, const double* rotation = nullptr) {
  static const double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  auto ref = boost::make_shared<CadModelRef>(name, nodeID, child, rotation ? rotation : kIdentity, at.data(),
                                             scale, flexible, false, nullptr);
  parent->addCadModelRef(ref);
  return ref;
}

/// A constraint side: the references from the stating assembly down to the part.
inline AssemComp comp(const Refs& refs) {
  AssemComp c;
  for (const auto& r : refs) c.addCadModelRef(r);
  return c;
}

struct Entity {
  KalotGeomType type;
  Vec3 location;
  Vec3 axis;
};

inline boost::shared_ptr<Constrain> constrain(const boost::shared_ptr<CadModel>& in, const std::string& name,
                                              KalotConstrainType type, const Refs& side1, const Entity& e1,
                                              const Refs& side2, const Entity& e2) {
  const AssemComp c1 = comp(side1), c2 = comp(side2);
  auto c = boost::make_shared<Constrain>(name, type, side1.empty() ? nullptr : &c1,
                                         side2.empty() ? nullptr : &c2, e1.type, e2.type, e1.location.data(),
                                         e1.axis.data(), e2.location.data(), e2.axis.data());
  in->addConstrain(c);
  return c;
}

inline boost::shared_ptr<Body> bareBody(const std::string& name, const std::string& nodeID) {
  const double inertia[9] = {};
  auto b = boost::make_shared<Body>(name, 1.0, KALOT_MASS_KG, inertia, KALOT_INERTIA_KG_M2, 1.0, KALOT_VOL_M3,
                                    1.0, KALOT_SAREA_M2, "", nullptr);
  b->setNodeID(nodeID);
  return b;
}

/// The multibody side of a CAD assembly as the driver builds it: a body per
/// rigid placement (CG frame, then the origin frame CS1), a subsystem per
/// flexible sub-assembly, keyed by placement.
class Converted {
 public:
  explicit Converted(const boost::shared_ptr<CadModel>& top) : top(top) {
    topSubsystem = boost::make_shared<Subsystem>("Top");
    topSubsystem->setNodeID("Top");
    model = boost::make_shared<ZoltModel>("test", "memory", "today", "tester", "Top", topSubsystem);
    map[detail::PlacementKey()] = topSubsystem;
    AssemComp path;
    build(*top, path);
  }

  boost::shared_ptr<Body> body(const Refs& path) const {
    return boost::dynamic_pointer_cast<Body>(map.at(key(path)));
  }
  boost::shared_ptr<Subsystem> subsystem(const Refs& path) const {
    return boost::dynamic_pointer_cast<Subsystem>(map.at(key(path)));
  }

  std::vector<boost::shared_ptr<detail::ConstrainToJoint>> group() {
    return detail::groupConstraints(top, map);
  }

  detail::InferenceResult infer(detail::ConstrainToJoint& pair) {
    return detail::inferJoint(pair, model, map, connected);
  }

  /// Groups and expects exactly one pair, then infers its joint.
  detail::InferenceResult inferOnly() {
    auto pairs = group();
    EXPECT_EQ(pairs.size(), 1u);
    lastPair = pairs.empty() ? nullptr : pairs.front();
    if (!lastPair) return {};
    return infer(*lastPair);
  }

  static detail::PlacementKey key(const Refs& path) { return detail::placementKey(comp(path)); }

  boost::shared_ptr<CadModel> top;
  boost::shared_ptr<Subsystem> topSubsystem;
  boost::shared_ptr<ZoltModel> model;
  detail::ModelMap map;
  detail::ConnectedSet connected;
  boost::shared_ptr<detail::ConstrainToJoint> lastPair;

 private:
  void build(const CadModel& m, AssemComp& path) {
    for (const auto& ref : m.cadmodels) {
      path.addCadModelRef(ref);
      const CadModel& k = *ref->getCadModel();
      if (ref->getFlexible() && !k.cadmodels.empty()) {
        auto sub = boost::make_shared<Subsystem>(ref->getDisplayName());
        sub->setNodeID(ref->getNodeID());
        sub->setCGFrame(boost::make_shared<Frame>("CG", -1, KALOT_LENGTH_M));
        sub->setOriginFrame(boost::make_shared<Frame>("", -1, KALOT_LENGTH_M));
        map[detail::placementKey(path)] = sub;
        build(k, path);
      } else {
        auto b = bareBody(ref->getDisplayName(), ref->getNodeID());
        auto cg = boost::make_shared<Frame>("CG", -1, KALOT_LENGTH_M);
        auto origin = boost::make_shared<Frame>("", -1, KALOT_LENGTH_M);
        b->setCGFrame(cg);
        b->setOriginFrame(origin);
        b->addLink(cg);
        b->addLink(origin);
        map[detail::placementKey(path)] = b;
      }
      path.popCadModelRef();
    }
  }
};

/// Primitive types and axes of a joint, for whole-list comparisons.
struct Prim {
  KalotPrimType type;
  Vec3 axis;
};

inline void expectPrimitives(const Joint& joint, const std::vector<Prim>& expected, double tol = 1e-9) {
  ASSERT_EQ(joint.getPrimitiveCount(), expected.size()) << joint.getName();
  for (size_t i = 0; i < expected.size(); ++i) {
    const auto p = joint.getPrimitiveAt(i);
    EXPECT_EQ(p->getType(), expected[i].type) << "primitive " << i;
    EXPECT_EQ(p->getRefFrame(), "WORLD");
    // Weld and spherical primitives carry the null axis, normalised.
    const double k = 1.0 / std::sqrt(3.0);
    const Vec3 want = expected[i].type == KALOT_PRIM_WELD || expected[i].type == KALOT_PRIM_SPHERICAL
                          ? Vec3{k, k, k}
                          : expected[i].axis;
    const double* a = p->getAxis();
    const double dot = a[0] * want[0] + a[1] * want[1] + a[2] * want[2];
    EXPECT_NEAR(dot, 1.0, tol) << "primitive " << i << " axis (" << a[0] << ", " << a[1] << ", " << a[2]
                               << ")";
  }
}

inline void expectAt(const double* p, const Vec3& at, double tol = 1e-12) {
  EXPECT_NEAR(p[0], at[0], tol);
  EXPECT_NEAR(p[1], at[1], tol);
  EXPECT_NEAR(p[2], at[2], tol);
}

inline void expectPosition(const boost::shared_ptr<FrameRef>& side, const Vec3& at, double tol = 1e-9) {
  expectAt(side->getFrame()->getPosition(), at, tol);
}

}  // namespace kalo_toolkit::testing
