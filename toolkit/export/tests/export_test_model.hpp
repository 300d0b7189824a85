#pragma once

// Small multibody models built in memory for the export tests.

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include <boost/make_shared.hpp>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/frame_ref.hpp>
#include <kalo_toolkit/ground.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/primitive.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/subsystem_ref.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "../src/rigid_math.hpp"

namespace kalo_toolkit {
namespace testing {

using sim::Mat3;
using sim::Vec3;

struct Units {
  KalotMassUnit mass = KALOT_MASS_KG;
  KalotInertiaUnit inertia = KALOT_INERTIA_KG_M2;
  KalotLengthUnit length = KALOT_LENGTH_M;
};

using Prim = std::pair<KalotPrimType, Vec3>;

inline Mat3 rotationZ(double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  return {c, s, 0, -s, c, 0, 0, 0, 1};  // column by column
}

class TestModel {
 public:
  explicit TestModel(const std::string& name = "Mech") {
    top = boost::make_shared<Subsystem>(name);
    model = boost::make_shared<ZoltModel>("test", "memory", "", "", name, top);
    ground = boost::make_shared<Ground>(
        "RootGround", boost::make_shared<Frame>("", model->getNextFrameId(), KALOT_LENGTH_M));
    top->addGround(ground);
  }

  boost::shared_ptr<Subsystem> subsystem(const boost::shared_ptr<Subsystem>& parent,
                                         const std::string& name) {
    auto s = boost::make_shared<Subsystem>(name);
    parent->addSubsystemRef(boost::make_shared<SubsystemRef>(name, s));
    return s;
  }

  /// A body with a frame "CG" at `cg` turned by `rotation` and its own origin frame at `origin`.
  boost::shared_ptr<Body> body(const boost::shared_ptr<Subsystem>& s, const std::string& name, double mass,
                               const Mat3& inertia, const Vec3& cg, const Units& u = Units(),
                               const Mat3& rotation = sim::identity3(), const std::string& file = "",
                               const Vec3& origin = Vec3{}) {
    auto b = boost::make_shared<Body>(name, mass, u.mass, inertia.data(), u.inertia, 0.0, KALOT_VOL_M3, 0.0,
                                      KALOT_SAREA_M2, file, nullptr);
    auto cgFrame = boost::make_shared<Frame>("CG", -1, cg.data(), u.length, "WORLD", rotation.data(),
                                             KALOT_ANGLE_RAD, KALOT_ROT_3X3, "WORLD");
    auto originFrame = boost::make_shared<Frame>("", -1, origin.data(), u.length, "WORLD", rotation.data(),
                                                 KALOT_ANGLE_RAD, KALOT_ROT_3X3, "WORLD");
    b->addLink(cgFrame);
    b->addLink(originFrame);
    b->setCGFrame(cgFrame);
    s->addBodyRef(boost::make_shared<BodyRef>(name, b));
    return b;
  }

  boost::shared_ptr<Body> body(const std::string& name, double mass, const Vec3& cg) {
    return body(top, name, mass, {0.1, 0, 0, 0, 0.2, 0, 0, 0, 0.25}, cg);
  }

  /// A joint with both frames at `point` (in `unit`) and the given primitives, axes in "WORLD".
  boost::shared_ptr<Joint> joint(const boost::shared_ptr<Subsystem>& s,
                                 const boost::shared_ptr<ZoltBase>& base,
                                 const boost::shared_ptr<ZoltBase>& follower, const Vec3& point,
                                 const std::vector<Prim>& prims, KalotLengthUnit unit = KALOT_LENGTH_M) {
    auto j = boost::make_shared<Joint>(model, base, follower, point.data(), point.data(), unit, "id");
    for (const Prim& p : prims) j->addPrimitive(p.first, p.second.data(), "WORLD");
    if (prims.empty()) j->setType(KALOT_JOINT_WELD);
    s->addJoint(j);
    return j;
  }
  boost::shared_ptr<Joint> joint(const boost::shared_ptr<ZoltBase>& base,
                                 const boost::shared_ptr<ZoltBase>& follower, const Vec3& point,
                                 const std::vector<Prim>& prims) {
    return joint(top, base, follower, point, prims);
  }

  boost::shared_ptr<Joint> sixDof(const boost::shared_ptr<ZoltBase>& base,
                                  const boost::shared_ptr<ZoltBase>& follower, const Vec3& basePoint,
                                  const Vec3& followerPoint) {
    boost::shared_ptr<Joint> j(Joint::zoltCreateSixDOFJoint(model, base, follower, basePoint.data(),
                                                            followerPoint.data(), KALOT_LENGTH_M, "id"));
    top->addJoint(j);
    return j;
  }

  boost::shared_ptr<Subsystem> top;
  boost::shared_ptr<ZoltModel> model;
  boost::shared_ptr<Ground> ground;
};

inline Prim revolute(const Vec3& axis) { return {KALOT_PRIM_REVOLUTE, axis}; }
inline Prim prismatic(const Vec3& axis) { return {KALOT_PRIM_PRISMATIC, axis}; }
inline Prim spherical() { return {KALOT_PRIM_SPHERICAL, {1, 1, 1}}; }

inline size_t count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t i = text.find(what); i != std::string::npos; i = text.find(what, i + 1)) ++n;
  return n;
}

}  // namespace testing
}  // namespace kalo_toolkit
