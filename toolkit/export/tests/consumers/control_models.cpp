#include "control_models.hpp"

#include <array>
#include <vector>

#include <boost/make_shared.hpp>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/ground.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/subsystem.hpp>

namespace kalo_consumers {
namespace mechanisms {

namespace {

using kalo_toolkit::Body;
using kalo_toolkit::Frame;
using kalo_toolkit::ZoltBase;
using V = std::array<double, 3>;

class Builder {
 public:
  explicit Builder(const std::string& name) {
    top = boost::make_shared<kalo_toolkit::Subsystem>(name);
    model = boost::make_shared<kalo_toolkit::ZoltModel>("test", "memory", "", "", name, top);
    ground = boost::make_shared<kalo_toolkit::Ground>(
        "RootGround", boost::make_shared<Frame>("", model->getNextFrameId(), KALOT_LENGTH_M));
    top->addGround(ground);
  }

  /// A body with principal moments along the world axes at its centre of mass.
  boost::shared_ptr<Body> body(const std::string& name, double mass, const V& cg, const V& moments) {
    const double inertia[9] = {moments[0], 0, 0, 0, moments[1], 0, 0, 0, moments[2]};
    const double unit[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    auto b = boost::make_shared<Body>(name, mass, KALOT_MASS_KG, inertia, KALOT_INERTIA_KG_M2, 0.0,
                                      KALOT_VOL_M3, 0.0, KALOT_SAREA_M2, "", nullptr);
    auto cgFrame = boost::make_shared<Frame>("CG", -1, cg.data(), KALOT_LENGTH_M, "WORLD", unit,
                                             KALOT_ANGLE_RAD, KALOT_ROT_3X3, "WORLD");
    b->addLink(cgFrame);
    b->setCGFrame(cgFrame);
    top->addBodyRef(boost::make_shared<kalo_toolkit::BodyRef>(name, b));
    return b;
  }

  /// A thin rod from `from` to `to`.
  boost::shared_ptr<Body> rod(const std::string& name, double mass, const V& from, const V& to) {
    V cg{}, d{};
    for (size_t i = 0; i < 3; ++i) {
      cg[i] = 0.5 * (from[i] + to[i]);
      d[i] = to[i] - from[i];
    }
    const double across = mass * (d[0] * d[0] + d[1] * d[1] + d[2] * d[2]) / 12;
    V moments{across, across, across};
    for (size_t i = 0; i < 3; ++i)
      if (d[i] != 0) moments[i] = 1e-4 * mass;  // the thin rod's own axis
    return body(name, mass, cg, moments);
  }

  void joint(const boost::shared_ptr<ZoltBase>& base, const boost::shared_ptr<ZoltBase>& follower,
             const V& point, const std::vector<V>& hingeAxes) {
    auto j = boost::make_shared<kalo_toolkit::Joint>(model, base, follower, point.data(), point.data(),
                                                     KALOT_LENGTH_M, "id");
    for (const V& axis : hingeAxes) j->addPrimitive(KALOT_PRIM_REVOLUTE, axis.data(), "WORLD");
    top->addJoint(j);
  }

  void sixDof(const boost::shared_ptr<ZoltBase>& base, const boost::shared_ptr<ZoltBase>& follower,
              const V& point) {
    boost::shared_ptr<kalo_toolkit::Joint> j(kalo_toolkit::Joint::zoltCreateSixDOFJoint(
        model, base, follower, point.data(), point.data(), KALOT_LENGTH_M, "id"));
    top->addJoint(j);
  }

  boost::shared_ptr<kalo_toolkit::Subsystem> top;
  boost::shared_ptr<kalo_toolkit::ZoltModel> model;
  boost::shared_ptr<kalo_toolkit::Ground> ground;
};

}  // namespace

boost::shared_ptr<kalo_toolkit::ZoltModel> pendulum() {
  Builder b("Pendulum");
  const auto rod = b.rod("Rod", kRodMass, {0, 0, 0}, {kRodLength, 0, 0});
  b.joint(b.ground, rod, {0, 0, 0}, {{0, 1, 0}});
  return b.model;
}

boost::shared_ptr<kalo_toolkit::ZoltModel> heavyAndLight() {
  Builder b("HeavyAndLight");
  const auto upper = b.rod("Upper", 5.0, {0, 0, 0}, {0.4, 0, 0});
  const auto hand = b.rod("Hand", 0.2, {0.4, 0, 0}, {0.5, 0, 0});
  b.joint(b.ground, upper, {0, 0, 0}, {{0, 1, 0}});
  b.joint(upper, hand, {0.4, 0, 0}, {{0, 1, 0}});
  return b.model;
}

boost::shared_ptr<kalo_toolkit::ZoltModel> quadruped() {
  Builder b("Quadruped");
  const double hip = kTrunkHeight - 0.05;
  const auto trunk = b.body("Trunk", 4.0, {0, 0, kTrunkHeight},
                            {4.0 * (0.09 + 0.01) / 12, 4.0 * (0.36 + 0.01) / 12, 4.0 * (0.36 + 0.09) / 12});
  b.sixDof(b.ground, trunk, {0, 0, kTrunkHeight});
  const char* names[4] = {"FrontLeft", "FrontRight", "HindLeft", "HindRight"};
  const double xs[4] = {0.25, 0.25, -0.25, -0.25}, ys[4] = {0.15, -0.15, 0.15, -0.15};
  for (int leg = 0; leg < 4; ++leg) {
    const std::string name = names[leg];
    const double x = xs[leg], y = ys[leg];
    // The hip's two hinges meet in one point: a light body carries the roll.
    const auto hipBody = b.body(name + "Hip", 0.1, {x, y, hip}, {1e-4, 1e-4, 1e-4});
    const auto thigh = b.rod(name + "Thigh", 1.0, {x, y, hip}, {x, y, hip - 0.2});
    const auto shin = b.rod(name + "Shin", 1.0, {x, y, hip - 0.2}, {x, y, hip - 0.4});
    b.joint(trunk, hipBody, {x, y, hip}, {{1, 0, 0}});
    b.joint(hipBody, thigh, {x, y, hip}, {{0, 1, 0}});
    b.joint(thigh, shin, {x, y, hip - 0.2}, {{0, 1, 0}});
  }
  return b.model;
}

}  // namespace mechanisms
}  // namespace kalo_consumers
