// URDF: one tree of links below a link "world"; flat names with the subsystem
// path; no closed loops, no ball joint and no rotation on an inertial (a
// current MuJoCo drops it), so the tensor is written in the link's axes.

#include "joint_chain.hpp"
#include "link_formats_control.hpp"
#include "sim_text.hpp"
#include "sim_writers.hpp"

namespace kalo_toolkit {
namespace sim {

namespace {

// Limits that URDF demands on a prismatic joint; wide enough never to bind.
constexpr double kSlideLimit = 1000.0;  // m
constexpr double kEffortLimit = 1e6;    // N
constexpr double kVelocityLimit = 1e6;  // m/s

class UrdfWriter {
 public:
  UrdfWriter(const SimTree& tree, std::vector<std::string>* report) : names_(tree.names), report_(report) {
    ChainRules rules;
    rules.ballAsHinges = true;
    rules.floatingJoint = true;
    chains_ = chainJoints(tree, rules, &names_, report);
    modelName_ = tree.modelName;
  }

  std::string write() {
    xml_.open("robot", {{"name", modelName_}});
    // MuJoCo's URDF import would fold bodies fixed to the world into it and lose their mass.
    xml_.open("mujoco");
    xml_.leaf("compiler", {{"fusestatic", "false"}});
    xml_.close();
    xml_.leaf("link", {{"name", "world"}});
    for (const SimLink& link : chains_.links) writeLink(link);
    for (const ChainJoint& j : chains_.joints) writeJoint(j);
    xml_.close();
    return xml_.str();
  }

 private:
  void writeLink(const SimLink& link) {
    xml_.open("link", {{"name", link.name}});
    xml_.open("inertial");
    xml_.leaf("origin", {{"xyz", numbers(sub(link.com, link.origin))}});
    xml_.leaf("mass", {{"value", number(link.mass)}});
    const Mat3& i = link.inertia;
    xml_.leaf("inertia", {{"ixx", number(at(i, 0, 0))},
                          {"ixy", number(at(i, 0, 1))},
                          {"ixz", number(at(i, 0, 2))},
                          {"iyy", number(at(i, 1, 1))},
                          {"iyz", number(at(i, 1, 2))},
                          {"izz", number(at(i, 2, 2))}});
    xml_.close();
    if (link.hasMesh) {
      xml_.open("visual");
      xml_.leaf("origin", {{"xyz", numbers(sub(link.mesh.position, link.origin))},
                           {"rpy", numbers(rpyFromMatrix(link.mesh.rotation))}});
      xml_.open("geometry");
      const std::string s = number(link.mesh.scale);
      xml_.leaf("mesh", {{"filename", link.mesh.file}, {"scale", s + ' ' + s + ' ' + s}});
      xml_.close();
      writeUrdfMaterial(link, &xml_);
      xml_.close();
    }
    writeUrdfCollision(link, &xml_);
    xml_.close();
  }

  void writeJoint(const ChainJoint& j) {
    const DofControl& c = chains_.controlOf(j);
    const char* type = j.kind == ChainKind::Slide      ? "prismatic"
                       : j.kind == ChainKind::Hinge    ? (c.limited ? "revolute" : "continuous")
                       : j.kind == ChainKind::Floating ? "floating"
                                                       : "fixed";
    const SimLink& child = chains_.links[static_cast<size_t>(j.child)];
    const Vec3 parentOrigin = j.parent < 0 ? Vec3{} : chains_.links[static_cast<size_t>(j.parent)].origin;
    xml_.open("joint", {{"name", j.name}, {"type", type}});
    xml_.leaf("parent", {{"link", j.parent < 0 ? std::string("world")
                                               : chains_.links[static_cast<size_t>(j.parent)].name}});
    xml_.leaf("child", {{"link", child.name}});
    xml_.leaf("origin", {{"xyz", numbers(sub(child.origin, parentOrigin))}});
    if (j.kind == ChainKind::Slide || j.kind == ChainKind::Hinge)
      xml_.leaf("axis", {{"xyz", numbers(j.axis)}});
    if (j.kind == ChainKind::Slide || (j.kind == ChainKind::Hinge && c.limited)) writeLimit(j, c);
    writeUrdfDynamics(c, &xml_);
    xml_.close();
  }

  /// URDF demands a limit on prismatic and revolute joints, all four values; where the
  /// settings give none, the defaults are wide enough never to bind, reported.
  void writeLimit(const ChainJoint& j, const DofControl& c) {
    const bool slide = j.kind == ChainKind::Slide;
    const double lower = c.limited ? c.lower : -kSlideLimit, upper = c.limited ? c.upper : kSlideLimit;
    const double effort = c.effort > 0 ? c.effort : kEffortLimit;
    const double velocity = c.velocity > 0 ? c.velocity : kVelocityLimit;
    xml_.leaf("limit", {{"lower", number(lower)},
                        {"upper", number(upper)},
                        {"effort", number(effort)},
                        {"velocity", number(velocity)}});
    std::string defaults;
    if (!c.limited) defaults += "position " + number(-kSlideLimit) + " .. " + number(kSlideLimit) + " m";
    if (!(c.effort > 0))
      defaults +=
          (defaults.empty() ? "" : ", ") + ("effort " + number(kEffortLimit) + (slide ? " N" : " N*m"));
    if (!(c.velocity > 0))
      defaults += (defaults.empty() ? "" : ", ") +
                  ("velocity " + number(kVelocityLimit) + (slide ? " m/s" : " rad/s"));
    if (!defaults.empty())
      report_->push_back("joint '" + j.name + "': URDF limits written as defaults: " + defaults);
  }

  NameTable names_;
  std::vector<std::string>* report_;
  ChainTree chains_;
  std::string modelName_;
  XmlText xml_;
};

}  // namespace

std::string writeUrdf(const SimTree& tree, std::vector<std::string>* report) {
  return UrdfWriter(tree, report).write();
}

}  // namespace sim
}  // namespace kalo_toolkit
