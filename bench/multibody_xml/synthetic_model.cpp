#include "synthetic_model.hpp"

#include <string>
#include <vector>

#include <boost/make_shared.hpp>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/frame_ref.hpp>
#include <kalo_toolkit/ground.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/subsystem_ref.hpp>

namespace kalo_bench {

using namespace kalo_toolkit;

boost::shared_ptr<ZoltModel> makeSyntheticModel(int n) {
  auto top = boost::make_shared<Subsystem>("Top");
  top->setNodeID("Synthetic");
  auto model = boost::make_shared<ZoltModel>("bench", "synthetic.asm", "today", "bench", "Synthetic", top);
  model->setNodeID("Synthetic");

  // Top plus a chain of four nested children; bodies go round-robin over them.
  std::vector<boost::shared_ptr<Subsystem>> subs{top};
  for (int level = 1; level <= 4; ++level) {
    auto child = boost::make_shared<Subsystem>("Sub" + std::to_string(level));
    child->setNodeID(subs.back()->getNodeID() + "/Sub" + std::to_string(level));
    subs.back()->addSubsystemRef(boost::make_shared<SubsystemRef>(child->getName(), child));
    subs.push_back(child);
  }

  kalot_vis_mat_prop mat = {{0.6, 0.6, 0.65}, 0.2, 0.8, 0.3, 0.25, 0, 0};
  int nextId = 0;
  std::vector<boost::shared_ptr<Frame>> jointFrames;
  jointFrames.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    const std::string name = "Part" + std::to_string(i);
    const double inertia[9] = {0.0123 + i * 1e-6, 0, 0, 0, 0.0456, 1e-5, 0, 1e-5, 0.0789};
    auto body = boost::make_shared<Body>(name, 1.25 + i * 0.001, KALOT_MASS_KG, inertia, KALOT_INERTIA_KG_M2,
                                         0.00031, KALOT_VOL_M3, 0.0421, KALOT_SAREA_M2, name + ".stl",
                                         i % 2 == 0 ? &mat : nullptr);
    auto& sub = subs[static_cast<size_t>(i) % subs.size()];
    body->setNodeID(sub->getNodeID() + "/" + name);
    for (int k = 0; k < 3; ++k) {
      const double pos[3] = {i * 0.1, k * 0.025, -0.5 + k};
      const double c = 0.7071067811865476;
      const double rot[9] = {c, c, 0, -c, c, 0, 0, 0, 1};
      auto frame = boost::make_shared<Frame>("", k == 0 ? -1 : nextId++, pos, KALOT_LENGTH_M, "WORLD", rot,
                                             KALOT_ANGLE_RAD, KALOT_ROT_3X3, "WORLD");
      body->addLink(frame);
      frame->setNodeID(body->getNodeID() + "::" + frame->getName());
      if (k == 1) jointFrames.push_back(frame);
    }
    sub->addBodyRef(boost::make_shared<BodyRef>(name, body));
  }

  const double z[3] = {0, 0, 1};
  const double x[3] = {1, 0, 0};
  for (int i = 1; i < n; ++i) {
    auto joint =
        boost::make_shared<Joint>("Part" + std::to_string(i - 1) + "--Part" + std::to_string(i),
                                  boost::make_shared<FrameRef>(jointFrames[static_cast<size_t>(i - 1)]),
                                  boost::make_shared<FrameRef>(jointFrames[static_cast<size_t>(i)]),
                                  "P" + std::to_string(i - 1) + ":-:P" + std::to_string(i));
    joint->addPrimitive(KALOT_PRIM_REVOLUTE, z, "WORLD");
    if (i % 3 == 0) joint->addPrimitive(KALOT_PRIM_PRISMATIC, x, "WORLD");
    subs[static_cast<size_t>(i) % subs.size()]->addJoint(joint);
  }

  auto groundFrame = boost::make_shared<Frame>("", nextId++, KALOT_LENGTH_M);
  auto ground = boost::make_shared<Ground>("RootGround", groundFrame);
  ground->setNodeID("RootGround");
  top->addGround(ground);
  if (n > 0) {
    auto weld = boost::make_shared<Joint>("RootGround--Part0", boost::make_shared<FrameRef>(groundFrame),
                                          boost::make_shared<FrameRef>(jointFrames[0]), "RootGround:-:P0");
    weld->setType(KALOT_JOINT_WELD);
    weld->addPrimitive(KALOT_PRIM_WELD, Joint::zoltNullAxis, "WORLD");
    top->addJoint(weld);
  }
  return model;
}

}  // namespace kalo_bench
