// Freedoms of the simulation tree and of its closed loops, from the joints'
// axes and points at rest: each tree freedom moves the bodies below it by a
// twist (angular velocity, velocity of the point at the world origin), and a
// closure allows between its two bodies only the twists of its own freedoms.

#include <algorithm>
#include <cmath>

#include <kalo_toolkit/vector_math.hpp>

#include "sim_tree.hpp"

namespace kalo_toolkit {
namespace sim {

namespace {

using Twist = std::array<double, 6>;

/// A turn about `axis` through `point`.
Twist turn(const Vec3& axis, const Vec3& point) {
  const Vec3 v = cross(point, axis);
  return {axis[0], axis[1], axis[2], v[0], v[1], v[2]};
}

Twist shift(const Vec3& axis) { return {0, 0, 0, axis[0], axis[1], axis[2]}; }

/// The twists of one freedom group; a ball turns about the three world axes through its point.
void dofTwists(const SimDof& dof, std::vector<Twist>* out) {
  if (dof.kind == DofKind::Slide) {
    out->push_back(shift(dof.axis));
  } else if (dof.kind == DofKind::Hinge) {
    out->push_back(turn(dof.axis, dof.point));
  } else {
    for (int a = 0; a < 3; ++a) {
      Vec3 axis{};
      axis[static_cast<size_t>(a)] = 1.0;
      out->push_back(turn(axis, dof.point));
    }
  }
}

}  // namespace

int treeFreedoms(const SimTree& tree) {
  int n = 0;
  for (const SimLink& link : tree.links) {
    if (link.free) {
      n += 6;
      continue;
    }
    for (const SimDof& d : link.dofs) n += d.kind == DofKind::Ball ? 3 : 1;
  }
  return n;
}

int loopMobility(const SimTree& tree) {
  const int nv = treeFreedoms(tree);
  if (tree.closures.empty()) return nv;
  // The columns of each link's own freedoms.
  std::vector<size_t> firstColumn(tree.links.size());
  std::vector<std::vector<Twist>> columns(tree.links.size());
  size_t next = 0;
  for (size_t i = 0; i < tree.links.size(); ++i) {
    const SimLink& link = tree.links[i];
    firstColumn[i] = next;
    for (const SimDof& d : link.dofs) dofTwists(d, &columns[i]);
    next += columns[i].size();
  }
  // The twist of a link for unit rates of every freedom: its own and its ancestors'.
  const auto jacobian = [&](int link, double sign, std::vector<Twist>* out) {
    for (int at = link; at >= 0; at = tree.links[static_cast<size_t>(at)].parent)
      for (size_t c = 0; c < columns[static_cast<size_t>(at)].size(); ++c)
        for (size_t k = 0; k < 6; ++k)
          (*out)[firstColumn[static_cast<size_t>(at)] + c][k] +=
              sign * columns[static_cast<size_t>(at)][c][k];
  };
  std::vector<std::vector<double>> rows;
  double largest = 0.0;
  for (const SimClosure& c : tree.closures) {
    std::vector<Twist> relative(next, Twist{});
    if (c.link2 >= 0) jacobian(c.link2, 1.0, &relative);
    if (c.link1 >= 0) jacobian(c.link1, -1.0, &relative);
    // An orthonormal basis of the twists the closure allows, and the projection onto the rest.
    std::vector<Twist> allowed;
    for (const SimDof& d : c.dofs) dofTwists(d, &allowed);
    std::vector<Twist> basis;
    for (Twist t : allowed) {
      for (const Twist& b : basis) {
        double dot = 0;
        for (size_t k = 0; k < 6; ++k) dot += t[k] * b[k];
        for (size_t k = 0; k < 6; ++k) t[k] -= dot * b[k];
      }
      double length = 0;
      for (double v : t) length += v * v;
      length = std::sqrt(length);
      if (length < 1e-9) continue;
      for (double& v : t) v /= length;
      basis.push_back(t);
    }
    for (size_t r = 0; r < 6; ++r) {
      std::vector<double> row(next, 0.0);
      for (size_t col = 0; col < next; ++col) {
        // Row r of (I - B B^T) times the column's relative twist.
        double v = relative[col][r];
        for (const Twist& b : basis) {
          double dot = 0;
          for (size_t k = 0; k < 6; ++k) dot += b[k] * relative[col][k];
          v -= b[r] * dot;
        }
        row[col] = v;
        largest = std::max(largest, std::fabs(v));
      }
      rows.push_back(std::move(row));
    }
  }
  return nv - util::matrixRank(std::move(rows), 1e-9 * std::max(largest, 1e-300));
}

}  // namespace sim
}  // namespace kalo_toolkit
