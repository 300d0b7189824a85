#pragma once

// A small model touching every element of the multibody file: bodies with
// named, unnamed and id-less frames, a material, a simple joint, a weld, a
// massless connector, a ground and two levels of child subsystems.

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

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

namespace kalo_test {

using namespace kalo_toolkit;

inline boost::shared_ptr<Frame> makeFrame(const std::string& name, int id, double x) {
  const double pos[3] = {x, 0.25, -1e-3};
  const double rot[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};
  auto f = boost::make_shared<Frame>(name, id, pos, KALOT_LENGTH_MM, "WORLD", rot, KALOT_ANGLE_DEG,
                                     KALOT_ROT_3X3, "WORLD");
  f->setDisplayName(name.empty() ? "" : name + " shown");
  return f;
}

inline boost::shared_ptr<Body> makeBody(const std::string& name, const kalot_vis_mat_prop* mat) {
  const double inertia[9] = {1.5, 0, 0, 0, 2.5e-7, 0, 0, 0, 1234567.0};
  auto b = boost::make_shared<Body>(name, 0.1 + 0.2, KALOT_MASS_G, inertia, KALOT_INERTIA_G_CM2, 12.5,
                                    KALOT_VOL_CM3, 100000.0, KALOT_SAREA_CM2, name + ".stl", mat);
  b->setNodeID("/M/" + name);
  return b;
}

inline boost::shared_ptr<FrameRef> refTo(const boost::shared_ptr<Frame>& f) {
  return boost::make_shared<FrameRef>(f);
}

inline boost::shared_ptr<ZoltModel> buildSampleModel() {
  auto top = boost::make_shared<Subsystem>("TopName");
  top->setNodeID("M");
  auto model = boost::make_shared<ZoltModel>("Kalo", "assembly.cad", "2024-01-02", "tester", "M", top);
  model->setNodeID("M");

  kalot_vis_mat_prop mat = {{0.5, 0.25, 1}, 0.1, 0.2, 0.3, 0.4, 0, 1};
  auto b1 = makeBody("Base", &mat);
  auto b1f1 = makeFrame("", 0, 1);
  auto b1f2 = makeFrame("Mount", 1, 2);
  auto b1f3 = makeFrame("Loose", -1, 3);  // no id: written without ref
  b1->addLink(b1f1);
  b1->addLink(b1f2);
  b1->addLink(b1f3);
  top->addBodyRef(boost::make_shared<BodyRef>("BaseRef", b1));

  auto b2 = makeBody("Arm", nullptr);
  auto b2f1 = makeFrame("Pin", 2, 4);
  auto b2f2 = makeFrame("", 3, 5);
  b2->addLink(b2f1);
  b2->addLink(b2f2);
  top->addBodyRef(boost::make_shared<BodyRef>("ArmRef", b2));

  auto groundFrame = makeFrame("", 4, 0);
  auto ground = boost::make_shared<Ground>("RootGround", groundFrame);
  ground->setNodeID("RootGround");
  top->addGround(ground);

  // Written in this order; a reader puts the simple joints first.
  auto connector = boost::make_shared<Joint>("Base--Arm", refTo(b1f1), refTo(b2f2), "/M/Arm:-:/M/Base");
  connector->setType(KALOT_JOINT_MASSLESS_CONNECTOR);
  const double x[3] = {2, 0, 0};
  const double y[3] = {0, 1, 0};
  connector->addPrimitive(KALOT_PRIM_REVOLUTE, x, "Base");
  connector->addPrimitive(KALOT_PRIM_SPHERICAL, Joint::zoltNullAxis, "Arm");
  top->addJoint(connector);

  auto hinge = boost::make_shared<Joint>("Base--Arm", refTo(b1f2), refTo(b2f1), "/M/Arm:-:/M/Base");
  hinge->setStatus("ok \"quoted\" & <escaped>");
  hinge->addPrimitive(KALOT_PRIM_REVOLUTE, y, "Base");
  top->addJoint(hinge);

  auto weld =
      boost::make_shared<Joint>("RootGround--Base", refTo(groundFrame), refTo(b1f1), "M:-:RootGround");
  weld->setType(KALOT_JOINT_WELD);
  weld->addPrimitive(KALOT_PRIM_WELD, Joint::zoltNullAxis, "WORLD");
  top->addJoint(weld);

  auto child = boost::make_shared<Subsystem>("Flex");
  child->setNodeID("/M/Flex");
  auto b3 = makeBody("Link \u00e9", nullptr);  // non-ASCII name
  auto b3f = makeFrame("End", 5, 6);
  b3->addLink(b3f);
  child->addBodyRef(boost::make_shared<BodyRef>("LinkRef", b3));
  auto slider = boost::make_shared<Joint>("Arm--Link", refTo(b2f2), refTo(b3f), "/M/Arm:-:/M/Flex/Link");
  slider->addPrimitive(KALOT_PRIM_PRISMATIC, y, "WORLD");
  child->addJoint(slider);
  auto grandChild = boost::make_shared<Subsystem>("Empty");
  grandChild->setNodeID("/M/Flex/Empty");
  child->addSubsystemRef(boost::make_shared<SubsystemRef>("EmptyRef", grandChild));
  top->addSubsystemRef(boost::make_shared<SubsystemRef>("FlexRef", child));
  return model;
}

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void writeFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

inline std::string dataPath(const std::string& name) {
  return std::string(KALO_TEST_DATA_DIR) + "/multibody/" + name;
}

}  // namespace kalo_test
