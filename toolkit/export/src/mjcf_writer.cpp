// MJCF for MuJoCo 2.2 and later: nested bodies, several joints per body, a
// free joint only on bodies directly below the world, loop closures as
// equality constraints.

#include <algorithm>
#include <deque>

#include "mjcf_control.hpp"
#include "sim_text.hpp"
#include "sim_writers.hpp"

namespace kalo_toolkit {
namespace sim {

namespace {

// MuJoCo 2.2's XML reader refuses elements nested 100 deep, counting the
// document itself: with <mujoco>, <worldbody> and a body's own <joint> or
// <site> that leaves 96 levels of bodies.
constexpr size_t kMujocoBodyDepth = 96;

// A hinge closure holds two points on its axis this far apart: with the
// point itself that keeps the axis, as the joint does.
constexpr double kHingeSpan = 0.1;  // m

class MjcfWriter {
 public:
  MjcfWriter(const SimTree& tree, std::vector<std::string>* report, const std::string& includeStem,
             std::vector<IncludedFile>* includes)
      : tree_(tree),
        report_(report),
        names_(tree.names),
        control_(tree),
        includeStem_(includeStem),
        includes_(includes) {}

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
  // our own, so a long chain cannot exhaust the call stack. Where files may be
  // included, the children of a body at MuJoCo's depth go to a file of their
  // own, included in its place: MuJoCo checks the depth of each file it parses.
  void writeBodies() {
    struct Open {
      int link;
      size_t nextChild;
      XmlText* doc;
      size_t depth;       ///< bodies open in `doc`, this one included
      XmlText* childDoc;  ///< the included file its children went to, if any
    };
    std::vector<Open> open;
    size_t deepest = 0;
    for (int root : tree_.roots) {
      openBody(root, &xml_);
      open.push_back({root, 0, &xml_, 1, nullptr});
      while (!open.empty()) {
        deepest = std::max(deepest, open.size());
        Open& top = open.back();
        const std::vector<int>& children = tree_.links[static_cast<size_t>(top.link)].children;
        if (top.nextChild < children.size()) {
          const int child = children[top.nextChild++];
          XmlText* doc = top.doc;
          size_t depth = top.depth + 1;
          if (depth > kMujocoBodyDepth && includes_) {
            if (!top.childDoc) top.childDoc = includeFile(top.doc);
            doc = top.childDoc;
            depth = 1;
          }
          openBody(child, doc);
          open.push_back({child, 0, doc, depth, nullptr});
        } else {
          if (top.childDoc) top.childDoc->close();
          top.doc->close();
          open.pop_back();
        }
      }
    }
    if (deepest <= kMujocoBodyDepth) return;
    const std::string depth = "MJCF: bodies nest " + std::to_string(deepest) + " deep below the world; ";
    if (!includes_) {
      report_->push_back(depth + "MuJoCo's XML reader refuses more than " + std::to_string(kMujocoBodyDepth) +
                         " (its limit of 100 nested XML elements), so it will not load this file");
      return;
    }
    for (size_t i = 0; i < includes_->size(); ++i) (*includes_)[i].text = parts_[i].str();
    report_->push_back(depth + "MuJoCo's XML reader takes at most " + std::to_string(kMujocoBodyDepth) +
                       " in one file, so the deeper ones are in " + std::to_string(includes_->size()) +
                       " included file" + (includes_->size() == 1 ? "" : "s") + " beside it, " +
                       includes_->front().name +
                       (includes_->size() == 1 ? "" : " to " + includes_->back().name));
  }

  /// Writes the include element into `parent` and returns the new file's text, its root open.
  XmlText* includeFile(XmlText* parent) {
    const std::string name = includeStem_ + ".bodies-" + std::to_string(includes_->size() + 1) + ".xml";
    includes_->push_back({name, std::string()});
    parent->leaf("include", {{"file", name}});
    parts_.emplace_back();
    parts_.back().open("mujoco");
    return &parts_.back();
  }

  /// Opens the body's element and writes all it holds but its child bodies.
  void openBody(int index, XmlText* xml) {
    const SimLink& link = tree_.links[static_cast<size_t>(index)];
    const Vec3 parentOrigin = link.parent < 0 ? Vec3{} : tree_.links[static_cast<size_t>(link.parent)].origin;
    xml->open("body", {{"name", link.name}, {"pos", numbers(sub(link.origin, parentOrigin))}});
    if (link.mass > 0) {
      const Mat3& i = link.inertia;
      xml->leaf("inertial",
                {{"pos", numbers(sub(link.com, link.origin))},
                 {"mass", number(link.mass)},
                 {"fullinertia", numbers(std::array<double, 6>{at(i, 0, 0), at(i, 1, 1), at(i, 2, 2),
                                                               at(i, 0, 1), at(i, 0, 2), at(i, 1, 2)}
                                             .data(),
                                         6)}});
    }
    if (link.free) {
      xml->leaf("freejoint", {{"name", link.jointName}});
    } else {
      for (const SimDof& dof : link.dofs) {
        XmlText::Attributes a{{"name", dof.name},
                              {"type", dof.kind == DofKind::Slide   ? "slide"
                                       : dof.kind == DofKind::Hinge ? "hinge"
                                                                    : "ball"},
                              {"pos", numbers(sub(dof.point, link.origin))}};
        if (dof.kind != DofKind::Ball) a.emplace_back("axis", numbers(dof.axis));
        if (dof.kind != DofKind::Ball) MjcfControl::addJointAttributes(dof, &a);
        xml->leaf("joint", a);
      }
    }
    if (link.hasMesh) {
      const Quat q = quatFromMatrix(link.mesh.rotation);
      XmlText::Attributes a{{"type", "mesh"},
                            {"mesh", link.name},
                            {"pos", numbers(sub(link.mesh.position, link.origin))},
                            {"quat", numbers(q.data(), 4)}};
      MjcfControl::addMeshGeomAttributes(link, &a);
      xml->leaf("geom", a);
    }
    MjcfControl::writeBoxGeom(link, xml);
    control_.noteBody(link);
    for (const SimSite& site : link.sites) {
      const Quat q = quatFromMatrix(site.rotation);
      xml->leaf("site", {{"name", site.name},
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
        const Vec3& origin = tree_.links[static_cast<size_t>(body1)].origin;
        a.emplace_back("anchor", numbers(sub(c.point, origin)));
        xml_.leaf("connect", a);
        if (hinges == 1) {
          // A second point on the axis keeps the axis: the two connects leave the one turn.
          const Vec3& axis = c.dofs[0].axis;
          const Vec3 second{c.point[0] + kHingeSpan * axis[0], c.point[1] + kHingeSpan * axis[1],
                            c.point[2] + kHingeSpan * axis[2]};
          a[0].second = names_.claim(c.name + kPathSeparator + "axis");
          a.back().second = numbers(sub(second, origin));
          xml_.leaf("connect", a);
        }
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
  NameTable names_;
  MjcfControl control_;
  XmlText xml_;
  std::string includeStem_;
  std::vector<IncludedFile>* includes_;
  std::deque<XmlText> parts_;  ///< the included files' texts, in the order of `includes_`
};

}  // namespace

std::string writeMjcf(const SimTree& tree, std::vector<std::string>* report, const std::string& includeStem,
                      std::vector<IncludedFile>* includes) {
  if (includes) includes->clear();
  return MjcfWriter(tree, report, includeStem, includes).write();
}

}  // namespace sim
}  // namespace kalo_toolkit
