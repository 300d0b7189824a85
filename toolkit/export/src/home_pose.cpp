#include "home_pose.hpp"

#include <cmath>

namespace kalo_toolkit {
namespace sim {

Vec3 apply(const RigidMotion& m, const Vec3& x) {
  const Vec3 r = times(m.r, x);
  return {r[0] + m.t[0], r[1] + m.t[1], r[2] + m.t[2]};
}

RigidMotion compose(const RigidMotion& a, const RigidMotion& b) { return {times(a.r, b.r), apply(a, b.t)}; }

RigidMotion turnAbout(const Vec3& axis, const Vec3& point, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  RigidMotion m;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      at(m.r, i, j) =
          (i == j ? c : 0.0) + (1 - c) * axis[static_cast<size_t>(i)] * axis[static_cast<size_t>(j)];
  // + sin * [axis]x
  at(m.r, 0, 1) -= s * axis[2];
  at(m.r, 1, 0) += s * axis[2];
  at(m.r, 0, 2) += s * axis[1];
  at(m.r, 2, 0) -= s * axis[1];
  at(m.r, 1, 2) -= s * axis[0];
  at(m.r, 2, 1) += s * axis[0];
  m.t = sub(point, times(m.r, point));
  return m;
}

HomePose homePose(const SimTree& tree) {
  HomePose pose;
  pose.links.resize(tree.links.size());
  pose.dofs.resize(tree.links.size());
  for (size_t i = 0; i < tree.links.size(); ++i) {
    const SimLink& link = tree.links[i];
    RigidMotion m = link.parent < 0 ? RigidMotion{} : pose.links[static_cast<size_t>(link.parent)];
    if (!link.free)
      for (const SimDof& dof : link.dofs) {
        pose.dofs[i].emplace_back(times(m.r, dof.axis), apply(m, dof.point));
        const double q = dof.control.home;
        if (dof.kind == DofKind::Hinge && q != 0.0) m = compose(m, turnAbout(dof.axis, dof.point, q));
        if (dof.kind == DofKind::Slide && q != 0.0)
          m = compose(m, RigidMotion{identity3(), scaled(dof.axis, q)});
      }
    else
      for (const SimDof& dof : link.dofs) pose.dofs[i].emplace_back(dof.axis, dof.point);
    pose.links[i] = m;
  }
  return pose;
}

}  // namespace sim
}  // namespace kalo_toolkit
