#include "joint_chain.hpp"

#include "sim_text.hpp"

namespace kalo_toolkit {
namespace sim {

namespace {

class Chainer {
 public:
  Chainer(const SimTree& tree, const ChainRules& rules, NameTable* names, std::vector<std::string>* report)
      : tree_(tree), rules_(rules), names_(names), report_(report) {
    out_.links = tree.links;
  }

  ChainTree run() {
    for (size_t i = 0; i < tree_.links.size(); ++i) {
      const SimLink& link = tree_.links[i];
      const int child = static_cast<int>(i);
      if (link.free || (link.sixDof && !rules_.floatingJoint)) {
        if (rules_.floatingJoint)
          add({link.jointName, ChainKind::Floating, link.parent, child, {}, link.origin, false});
        continue;
      }
      chain(link.jointName, link.parent, child, link.dofs, link.subsystem, false);
    }
    for (const SimClosure& c : tree_.closures) {
      if (!rules_.keepClosures) {
        report_->push_back("joint '" + c.name +
                           "': loop closure dropped (the format allows no closed loops)");
        continue;
      }
      // The child of a joint must be a link: with the world on the follower side, run the joint backwards.
      std::vector<SimDof> dofs = c.dofs;
      int parent = c.link1, child = c.link2;
      if (child < 0) {
        std::swap(parent, child);
        dofs.assign(c.dofs.rbegin(), c.dofs.rend());
        for (SimDof& d : dofs) d.axis = scaled(d.axis, -1.0);
      }
      chain(c.name, parent, child, dofs, tree_.links[static_cast<size_t>(child)].subsystem, true, c.point);
    }
    return std::move(out_);
  }

 private:
  void add(ChainJoint j) { out_.joints.push_back(std::move(j)); }

  void chain(const std::string& name, int parent, int child, const std::vector<SimDof>& dofs, int subsystem,
             bool closure, const Vec3& closurePoint = Vec3{}) {
    if (dofs.empty()) {
      const Vec3 point = closure ? closurePoint : out_.links[static_cast<size_t>(child)].origin;
      add({name, ChainKind::Fixed, parent, child, {}, point, closure});
      return;
    }
    std::vector<ChainJoint> steps;
    for (const SimDof& d : dofs) {
      if (d.kind == DofKind::Ball && rules_.ballAsHinges) {
        const char* axisNames[3] = {"x", "y", "z"};
        for (int a = 0; a < 3; ++a) {
          ChainJoint s{names_->claim(d.name + kPathSeparator + axisNames[a]),
                       ChainKind::Hinge,
                       -1,
                       -1,
                       {},
                       d.point,
                       closure};
          s.axis[static_cast<size_t>(a)] = 1.0;
          steps.push_back(s);
        }
        report_->push_back("joint '" + d.name + "': ball written as three hinges about x, y and z");
        continue;
      }
      const ChainKind kind = d.kind == DofKind::Slide   ? ChainKind::Slide
                             : d.kind == DofKind::Hinge ? ChainKind::Hinge
                                                        : ChainKind::Ball;
      steps.push_back({d.name, kind, -1, -1, d.axis, d.point, closure});
      out_.controls[d.name] = d.control;
    }
    std::vector<std::string> lightNames;
    for (size_t k = 0; k + 1 < steps.size(); ++k) {
      SimLink light;
      light.name = names_->claim(name + kPathSeparator + "link" + std::to_string(k + 1));
      light.rawName = light.name;
      light.subsystem = subsystem;
      light.light = true;
      light.moving = true;
      light.parent = parent;
      light.origin = steps[k].point;
      light.com = light.origin;
      light.mass = kMinMass;
      for (int i = 0; i < 3; ++i) at(light.inertia, i, i) = kMinMoment;
      out_.links.push_back(light);
      const int index = static_cast<int>(out_.links.size()) - 1;
      steps[k].parent = parent;
      steps[k].child = index;
      parent = index;
      lightNames.push_back("'" + light.name + "'");
    }
    steps.back().parent = parent;
    steps.back().child = child;
    for (ChainJoint& s : steps) add(std::move(s));
    if (!lightNames.empty()) {
      std::string list;
      for (const std::string& n : lightNames) list += (list.empty() ? "" : ", ") + n;
      report_->push_back("joint '" + name + "': " + std::to_string(steps.size()) +
                         " freedoms in one joint; light links " + list + " of " + number(kMinMass) +
                         " kg added between them");
    }
  }

  const SimTree& tree_;
  const ChainRules& rules_;
  NameTable* names_;
  std::vector<std::string>* report_;
  ChainTree out_;
};

}  // namespace

ChainTree chainJoints(const SimTree& tree, const ChainRules& rules, NameTable* names,
                      std::vector<std::string>* report) {
  return Chainer(tree, rules, names, report).run();
}

}  // namespace sim
}  // namespace kalo_toolkit
