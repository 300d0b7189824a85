// MJCF for MuJoCo 2.2 and later: nested bodies, several joints per body, a
// free joint only on bodies directly below the world, loop closures as
// equality constraints.

#include "mjcf_control.hpp"
#include "sim_text.hpp"
#include "sim_writers.hpp"

namespace kalo_toolkit {
namespace sim {

namespace {

class MjcfWriter {
 public:
  MjcfWriter(const SimTree& tree, std::vector<std::string>* report)
      : tree_(tree), report_(report), control_(tree) {}

  std::string write() {
    xml_.open("mujoco", {{"model", tree_.modelName}});
    // Masses come from the model only; meshes are pictures.
    xml_.leaf("compiler", {{"angle", "radian"}, {"inertiafromgeom", "false"}});
    control_.writeOption(&xml_);
    bool meshes = false;
    for (const SimLink& link : tree_.links) meshes = meshes || link.hasMesh;
    if (meshes) {
      xml_.open("asset");
      for (const SimLink& link : tree_.links)
        if (link.hasMesh) {
          const std::string s = number(link.mesh.scale);
          xml_.leaf("mesh",
                    {{"name", link.name}, {"file", link.mesh.file}, {"scale", s + ' ' + s + ' ' + s}});
        }
      xml_.close();
    }
    xml_.open("worldbody");
    control_.writeFloor(&xml_);
    writeBodies();
    xml_.close();
    writeClosures();
    control_.writeAfterEquality(&xml_);
    xml_.close();
    return xml_.str();
  }

 private:
  // Bodies nest as deep as the kinematic chains: walk them with a stack of
  // our own, so a long chain cannot exhaust the call stack.
  void writeBodies() {
    struct Open {
      int link;
      size_t nextChild;
    };
    std::vector<Open> open;
    for (int root : tree_.roots) {
      openBody(root);
      open.push_back({root, 0});
      while (!open.empty()) {
        Open& top = open.back();
        const std::vector<int>& children = tree_.links[static_cast<size_t>(top.link)].children;
        if (top.nextChild < children.size()) {
          const int child = children[top.nextChild++];
          openBody(child);
          open.push_back({child, 0});
        } else {
          xml_.close();
          open.pop_back();
        }
      }
    }
  }

  /// Opens the body's element and writes all it holds but its child bodies.
  void openBody(int index) {
    const SimLink& link = tree_.links[static_cast<size_t>(index)];
    const Vec3 parentOrigin = link.parent < 0 ? Vec3{} : tree_.links[static_cast<size_t>(link.parent)].origin;
    xml_.open("body", {{"name", link.name}, {"pos", numbers(sub(link.origin, parentOrigin))}});
    if (link.mass > 0) {
      const Mat3& i = link.inertia;
      xml_.leaf("inertial",
                {{"pos", numbers(sub(link.com, link.origin))},
                 {"mass", number(link.mass)},
                 {"fullinertia", numbers(std::array<double, 6>{at(i, 0, 0), at(i, 1, 1), at(i, 2, 2),
                                                               at(i, 0, 1), at(i, 0, 2), at(i, 1, 2)}
                                             .data(),
                                         6)}});
    }
    if (link.free) {
      xml_.leaf("freejoint", {{"name", link.jointName}});
    } else {
      for (const SimDof& dof : link.dofs) {
        XmlText::Attributes a{{"name", dof.name},
                              {"type", dof.kind == DofKind::Slide   ? "slide"
                                       : dof.kind == DofKind::Hinge ? "hinge"
                                                                    : "ball"},
                              {"pos", numbers(sub(dof.point, link.origin))}};
        if (dof.kind != DofKind::Ball) a.emplace_back("axis", numbers(dof.axis));
        if (dof.kind != DofKind::Ball) MjcfControl::addJointAttributes(dof, &a);
        xml_.leaf("joint", a);
      }
    }
    if (link.hasMesh) {
      const Quat q = quatFromMatrix(link.mesh.rotation);
      XmlText::Attributes a{{"type", "mesh"},
                            {"mesh", link.name},
                            {"pos", numbers(sub(link.mesh.position, link.origin))},
                            {"quat", numbers(q.data(), 4)}};
      MjcfControl::addMeshGeomAttributes(link, &a);
      xml_.leaf("geom", a);
    }
    MjcfControl::writeBoxGeom(link, &xml_);
    control_.noteBody(link);
    for (const SimSite& site : link.sites) {
      const Quat q = quatFromMatrix(site.rotation);
      xml_.leaf("site", {{"name", site.name},
                         {"pos", numbers(sub(site.position, link.origin))},
                         {"quat", numbers(q.data(), 4)}});
    }
  }

  void writeClosures() {
    if (tree_.closures.empty()) return;
    xml_.open("equality");
    for (const SimClosure& c : tree_.closures) {
      // body1 must be a body; the world, when on one side, is body2's default.
      const int body1 = c.link1 < 0 ? c.link2 : c.link1;
      const int body2 = c.link1 < 0 ? -1 : c.link2;
      XmlText::Attributes a{{"name", c.name}, {"body1", tree_.links[static_cast<size_t>(body1)].name}};
      if (body2 >= 0) a.emplace_back("body2", tree_.links[static_cast<size_t>(body2)].name);
      // A closure is a rigid pin, not a spring: the stiffest constraint the
      // default time step (0.002 s) resolves stably, instead of MuJoCo's soft
      // default (0.02 s), which lets a loop open by millimetres.
      a.emplace_back("solref", "0.004 1");
      size_t slides = 0, hinges = 0, balls = 0;
      for (const SimDof& d : c.dofs) {
        slides += d.kind == DofKind::Slide;
        hinges += d.kind == DofKind::Hinge;
        balls += d.kind == DofKind::Ball;
      }
      const std::string where = "joint '" + c.name + "': loop closure";
      if (c.dofs.empty()) {
        xml_.leaf("weld", a);
      } else if (slides == 0 && c.dofs.size() == 1) {
        a.emplace_back("anchor", numbers(sub(c.point, tree_.links[static_cast<size_t>(body1)].origin)));
        xml_.leaf("connect", a);
        if (hinges == 1)
          report_->push_back(
              where + " held at its point by an equality connect; its hinge axis is kept by the tree joints");
      } else {
        report_->push_back(where + " with " + std::to_string(slides) + " slide, " + std::to_string(hinges) +
                           " hinge and " + std::to_string(balls) +
                           " ball freedoms has no MuJoCo equality; dropped");
      }
    }
    xml_.close();
  }

  const SimTree& tree_;
  std::vector<std::string>* report_;
  MjcfControl control_;
  XmlText xml_;
};

}  // namespace

std::string writeMjcf(const SimTree& tree, std::vector<std::string>* report) {
  return MjcfWriter(tree, report).write();
}

}  // namespace sim
}  // namespace kalo_toolkit
