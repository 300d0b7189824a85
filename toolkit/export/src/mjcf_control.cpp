#include "mjcf_control.hpp"

namespace kalo_toolkit {
namespace sim {

namespace {

std::string rgbaText(const SimLink& link) { return numbers(link.rgba.data(), 4); }

std::string pair(double a, double b) { return number(a) + ' ' + number(b); }

}  // namespace

void MjcfControl::writeOption(XmlText* xml) const {
  if (tree_.scene.timestep > 0) xml->leaf("option", {{"timestep", number(tree_.scene.timestep)}});
}

void MjcfControl::addJointAttributes(const SimDof& dof, XmlText::Attributes* a) {
  const DofControl& c = dof.control;
  if (c.limited) {
    a->emplace_back("limited", "true");
    a->emplace_back("range", pair(c.lower, c.upper));
  }
  if (c.damping > 0) a->emplace_back("damping", number(c.damping));
  if (c.armature > 0) a->emplace_back("armature", number(c.armature));
  if (c.frictionloss > 0) a->emplace_back("frictionloss", number(c.frictionloss));
}

void MjcfControl::addMeshGeomAttributes(const SimLink& link, XmlText::Attributes* a) {
  if (link.collision.kind != ShapeKind::Mesh) {
    a->emplace_back("contype", "0");
    a->emplace_back("conaffinity", "0");
  }
  a->emplace_back("group", "1");
  if (link.hasColour) a->emplace_back("rgba", rgbaText(link));
}

void MjcfControl::writeBoxGeom(const SimLink& link, XmlText* xml) {
  const CollisionShape& s = link.collision;
  if (s.kind != ShapeKind::Box) return;
  const Quat q = quatFromMatrix(s.rotation);
  XmlText::Attributes a{{"type", "box"},
                        {"size", numbers(s.half)},
                        {"pos", numbers(sub(s.centre, link.origin))},
                        {"quat", numbers(q.data(), 4)}};
  // Beside a mesh the box is for contact only, kept out of sight in group 3.
  a.emplace_back("group", link.hasMesh ? "3" : "0");
  if (link.hasColour) a.emplace_back("rgba", rgbaText(link));
  xml->leaf("geom", a);
}

void MjcfControl::writeFloor(XmlText* xml) const {
  const SimScene& s = tree_.scene;
  if (!s.floor) return;
  xml->leaf("light", {{"name", "light"},
                      {"pos", numbers(Vec3{0, 0, s.floorZ + s.floorSize})},
                      {"dir", "0 0 -1"},
                      {"directional", "true"}});
  xml->leaf("geom", {{"name", "floor"},
                     {"type", "plane"},
                     {"pos", numbers(Vec3{0, 0, s.floorZ})},
                     {"size", number(s.floorSize) + ' ' + number(s.floorSize) + " 0.1"},
                     {"rgba", "0.8 0.8 0.8 1"}});
}

void MjcfControl::noteBody(const SimLink& link) {
  if (link.free) {
    // A free body's position is its place in the world, its orientation the world's axes.
    for (double v : link.origin) qpos_.push_back(v);
    for (double v : {1.0, 0.0, 0.0, 0.0}) qpos_.push_back(v);
    return;
  }
  for (const SimDof& dof : link.dofs) {
    if (dof.kind == DofKind::Ball) {
      for (double v : {1.0, 0.0, 0.0, 0.0}) qpos_.push_back(v);
      continue;
    }
    qpos_.push_back(dof.control.home);
    if (dof.control.actuator != Actuators::None) actuated_.push_back(&dof);
  }
}

void MjcfControl::writeAfterEquality(XmlText* xml) const {
  const SimScene& s = tree_.scene;
  if (!s.excludes.empty()) {
    xml->open("contact");
    for (const auto& e : s.excludes)
      xml->leaf("exclude", {{"body1", tree_.links[static_cast<size_t>(e.first)].name},
                            {"body2", tree_.links[static_cast<size_t>(e.second)].name}});
    xml->close();
  }
  std::vector<double> ctrl;
  if (!actuated_.empty()) {
    xml->open("actuator");
    for (const SimDof* dof : actuated_) {
      const DofControl& c = dof->control;
      XmlText::Attributes a{{"name", dof->name}, {"joint", dof->name}};
      switch (c.actuator) {
        case Actuators::Position:
          a.emplace_back("kp", number(c.kp));
          if (c.limited) {
            a.emplace_back("ctrllimited", "true");
            a.emplace_back("ctrlrange", pair(c.lower, c.upper));
          }
          ctrl.push_back(c.home);
          break;
        case Actuators::Velocity:
          a.emplace_back("kv", number(c.kv));
          if (c.velocity > 0) {
            a.emplace_back("ctrllimited", "true");
            a.emplace_back("ctrlrange", pair(-c.velocity, c.velocity));
          }
          ctrl.push_back(0.0);
          break;
        default:
          if (c.effort > 0) {
            a.emplace_back("ctrllimited", "true");
            a.emplace_back("ctrlrange", pair(-c.effort, c.effort));
          }
          ctrl.push_back(0.0);
          break;
      }
      if (c.effort > 0) {
        a.emplace_back("forcelimited", "true");
        a.emplace_back("forcerange", pair(-c.effort, c.effort));
      }
      xml->leaf(c.actuator == Actuators::Position   ? "position"
                : c.actuator == Actuators::Velocity ? "velocity"
                                                    : "motor",
                a);
    }
    xml->close();
    if (s.sensors) {
      xml->open("sensor");
      for (const SimDof* dof : actuated_) {
        xml->leaf("jointpos", {{"name", dof->name + ".pos"}, {"joint", dof->name}});
        xml->leaf("jointvel", {{"name", dof->name + ".vel"}, {"joint", dof->name}});
      }
      xml->close();
    }
  }
  if (!qpos_.empty() || !ctrl.empty()) {
    xml->open("keyframe");
    XmlText::Attributes a{{"name", "home"}};
    if (!qpos_.empty()) a.emplace_back("qpos", numbers(qpos_.data(), qpos_.size()));
    if (!ctrl.empty()) a.emplace_back("ctrl", numbers(ctrl.data(), ctrl.size()));
    xml->leaf("key", a);
    xml->close();
  }
}

}  // namespace sim
}  // namespace kalo_toolkit
