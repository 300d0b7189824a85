// Shapes are boxes for every test made here: a box shape itself, or the
// bounds of a mesh (MuJoCo collides on the mesh's convex hull, which lies
// inside them). Touching is decided on those boxes at the home pose, so an
// exclusion is written for every pair that might touch: the model starts
// with no contact, and pairs that are apart still collide.

#include "collision_scene.hpp"

#include <algorithm>
#include <cmath>
#include <set>

#include "home_pose.hpp"
#include "mesh_bounds.hpp"
#include "sim_text.hpp"

namespace kalo_toolkit {
namespace sim {

namespace {

constexpr double kMinHalf = 1e-3;  // m: a flat part's box keeps a thickness

struct WorldBox {
  Vec3 centre{};
  Mat3 rotation{};
  Vec3 half{};
  Vec3 lower{}, upper{};  ///< axis-aligned bounds
};

WorldBox placed(const CollisionShape& s, const RigidMotion& m, double inflate) {
  WorldBox b;
  b.centre = apply(m, s.centre);
  b.rotation = times(m.r, s.rotation);
  for (size_t i = 0; i < 3; ++i) b.half[i] = s.half[i] + inflate;
  for (int i = 0; i < 3; ++i) {
    double reach = 0;
    for (int k = 0; k < 3; ++k) reach += std::fabs(at(b.rotation, i, k)) * b.half[static_cast<size_t>(k)];
    b.lower[static_cast<size_t>(i)] = b.centre[static_cast<size_t>(i)] - reach;
    b.upper[static_cast<size_t>(i)] = b.centre[static_cast<size_t>(i)] + reach;
  }
  return b;
}

/// Separating-axis test of two oriented boxes (face axes of each, then the nine edge pairs).
bool overlap(const WorldBox& a, const WorldBox& b) {
  double r[3][3], abs[3][3], t[3];
  const Vec3 d = sub(b.centre, a.centre);
  for (int i = 0; i < 3; ++i) {
    t[i] = 0;
    for (int k = 0; k < 3; ++k) t[i] += at(a.rotation, k, i) * d[static_cast<size_t>(k)];
    for (int j = 0; j < 3; ++j) {
      r[i][j] = 0;
      for (int k = 0; k < 3; ++k) r[i][j] += at(a.rotation, k, i) * at(b.rotation, k, j);
      abs[i][j] = std::fabs(r[i][j]) + 1e-12;
    }
  }
  const double* ha = a.half.data();
  const double* hb = b.half.data();
  for (int i = 0; i < 3; ++i)
    if (std::fabs(t[i]) > ha[i] + hb[0] * abs[i][0] + hb[1] * abs[i][1] + hb[2] * abs[i][2]) return false;
  for (int j = 0; j < 3; ++j)
    if (std::fabs(t[0] * r[0][j] + t[1] * r[1][j] + t[2] * r[2][j]) >
        ha[0] * abs[0][j] + ha[1] * abs[1][j] + ha[2] * abs[2][j] + hb[j])
      return false;
  for (int i = 0; i < 3; ++i) {
    const int i1 = (i + 1) % 3, i2 = (i + 2) % 3;
    for (int j = 0; j < 3; ++j) {
      const int j1 = (j + 1) % 3, j2 = (j + 2) % 3;
      const double ra = ha[i1] * abs[i2][j] + ha[i2] * abs[i1][j];
      const double rb = hb[j1] * abs[i][j2] + hb[j2] * abs[i][j1];
      if (std::fabs(t[i2] * r[i1][j] - t[i1] * r[i2][j]) > ra + rb) return false;
    }
  }
  return true;
}

/// The box of uniform density with the body's mass and principal moments, at its centre of mass.
bool inertiaBox(const SimLink& link, CollisionShape* s) {
  Vec3 moments{};
  Mat3 axes{};
  symmetricEigen(link.inertia, &moments, &axes);
  const Vec3 third = cross({at(axes, 0, 0), at(axes, 1, 0), at(axes, 2, 0)},
                           {at(axes, 0, 1), at(axes, 1, 1), at(axes, 2, 1)});
  if (third[0] * at(axes, 0, 2) + third[1] * at(axes, 1, 2) + third[2] * at(axes, 2, 2) < 0)
    for (int i = 0; i < 3; ++i) at(axes, i, 2) = -at(axes, i, 2);
  for (size_t i = 0; i < 3; ++i) {
    // I_x = m (b^2 + c^2) / 12, so a^2 = 6 (I_y + I_z - I_x) / m.
    const double side2 = 6.0 * (moments[(i + 1) % 3] + moments[(i + 2) % 3] - moments[i]) / link.mass;
    if (!std::isfinite(side2)) return false;
    s->half[i] = std::max(0.5 * std::sqrt(std::max(side2, 0.0)), kMinHalf);
  }
  s->kind = ShapeKind::Box;
  s->centre = link.com;
  s->rotation = axes;
  return true;
}

bool meshBox(const SimLink& link, const std::string& meshBase, CollisionShape* s) {
  if (!link.hasMesh) return false;
  const std::string& file = link.mesh.file;
  const std::string path = file.empty() || file[0] == '/' || meshBase.empty() ? file : meshBase + "/" + file;
  Vec3 lower{}, upper{};
  if (!readMeshBounds(path, &lower, &upper)) return false;
  const double k = link.mesh.scale;
  Vec3 middle{};
  for (size_t i = 0; i < 3; ++i) {
    middle[i] = 0.5 * (lower[i] + upper[i]) * k;
    s->half[i] = std::max(0.5 * (upper[i] - lower[i]) * std::fabs(k), kMinHalf);
  }
  const Vec3 offset = times(link.mesh.rotation, middle);
  for (size_t i = 0; i < 3; ++i) s->centre[i] = link.mesh.position[i] + offset[i];
  s->rotation = link.mesh.rotation;
  return true;
}

}  // namespace

void addCollisionScene(SimTree* tree, const ExportOptions& options, const std::string& meshBase) {
  SimTree& t = *tree;
  t.scene.sensors = options.sensors;
  if (options.collision != Collision::None) {
    size_t meshes = 0, boxes = 0;
    for (SimLink& link : t.links) {
      if (link.light || !(link.mass >= kMinCollidingMass)) continue;
      CollisionShape shape;
      if (meshBox(link, meshBase, &shape)) {
        shape.kind = options.collision == Collision::Mesh ? ShapeKind::Mesh : ShapeKind::Box;
        ++meshes;
      } else if (inertiaBox(link, &shape)) {
        ++boxes;
        if (options.collision == Collision::Mesh && link.hasMesh)
          t.report.push_back("body '" + link.name + "': its mesh '" + link.mesh.file +
                             "' cannot be read; it collides as its equivalent-inertia box");
      } else {
        continue;
      }
      link.collision = shape;
    }
    t.report.push_back("collision: " + std::to_string(meshes) + " bod" + (meshes == 1 ? "y" : "ies") +
                       (options.collision == Collision::Mesh ? " by their meshes (convex hull in MuJoCo)"
                                                             : " by their meshes' bounding boxes") +
                       ", " + std::to_string(boxes) + " by their equivalent-inertia boxes");
  }

  const HomePose pose = homePose(t);
  const size_t n = t.links.size();
  // Bodies welded together move as one; MuJoCo never collides them with each other.
  std::vector<int> weld(n);
  for (size_t i = 0; i < n; ++i) {
    const SimLink& l = t.links[i];
    weld[i] = l.parent >= 0 && l.dofs.empty() && !l.free ? weld[static_cast<size_t>(l.parent)]
                                                         : static_cast<int>(i);
  }
  std::set<std::pair<int, int>> excluded;
  const auto exclude = [&](int a, int b) {
    if (a < 0 || b < 0 || a == b) return;
    if (!t.links[static_cast<size_t>(a)].moving && !t.links[static_cast<size_t>(b)].moving) return;
    if (weld[static_cast<size_t>(a)] == weld[static_cast<size_t>(b)]) return;
    excluded.insert({std::min(a, b), std::max(a, b)});
  };
  if (options.collision != Collision::None) {
    size_t joined = 0;
    for (size_t i = 0; i < n; ++i) {
      const size_t before = excluded.size();
      exclude(t.links[i].parent, static_cast<int>(i));
      joined += excluded.size() - before;
    }
    for (const SimClosure& c : t.closures) {
      const size_t before = excluded.size();
      exclude(c.link1, c.link2);
      joined += excluded.size() - before;
    }
    // Touching at the home pose: sweep along x over the boxes' bounds, then test the boxes.
    std::vector<std::pair<WorldBox, int>> boxes;
    for (size_t i = 0; i < n; ++i)
      if (t.links[i].collision.kind != ShapeKind::None)
        boxes.emplace_back(placed(t.links[i].collision, pose.links[i], 0.5 * kTouchMargin),
                           static_cast<int>(i));
    std::sort(boxes.begin(), boxes.end(), [](const auto& a, const auto& b) {
      return a.first.lower[0] < b.first.lower[0] ||
             (a.first.lower[0] == b.first.lower[0] && a.second < b.second);
    });
    size_t touching = 0;
    for (size_t i = 0; i < boxes.size(); ++i)
      for (size_t j = i + 1; j < boxes.size() && boxes[j].first.lower[0] <= boxes[i].first.upper[0]; ++j) {
        const WorldBox& a = boxes[i].first;
        const WorldBox& b = boxes[j].first;
        bool apart = false;
        for (size_t k = 1; k < 3; ++k) apart = apart || a.upper[k] < b.lower[k] || b.upper[k] < a.lower[k];
        if (apart || !overlap(a, b)) continue;
        const size_t before = excluded.size();
        exclude(boxes[i].second, boxes[j].second);
        touching += excluded.size() - before;
      }
    t.report.push_back("contact exclusions: " + std::to_string(joined) + " pair" + (joined == 1 ? "" : "s") +
                       " of bodies joined by a joint, " + std::to_string(touching) +
                       " more that touch at the home pose");
    t.scene.excludes.assign(excluded.begin(), excluded.end());
  }

  if (options.floor) {
    t.scene.floor = true;
    double lowest = HUGE_VAL, extent = 0;
    Vec3 lower{HUGE_VAL, HUGE_VAL, HUGE_VAL}, upper{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (size_t i = 0; i < n; ++i) {
      const SimLink& link = t.links[i];
      const WorldBox b =
          link.collision.kind != ShapeKind::None
              ? placed(link.collision, pose.links[i], 0.0)
              : placed(CollisionShape{ShapeKind::Box, link.com, identity3(), {}}, pose.links[i], 0.0);
      if (link.collision.kind != ShapeKind::None) lowest = std::min(lowest, b.lower[2]);
      for (size_t k = 0; k < 3; ++k) {
        lower[k] = std::min(lower[k], b.lower[k]);
        upper[k] = std::max(upper[k], b.upper[k]);
      }
    }
    if (!std::isfinite(lowest)) lowest = n > 0 ? lower[2] : 0.0;
    for (size_t k = 0; k < 3; ++k) extent = std::max(extent, n > 0 ? upper[k] - lower[k] : 0.0);
    t.scene.floorZ = lowest - kFloorGap;
    t.scene.floorSize = std::max(5.0, 10.0 * extent);
    t.report.push_back(
        "floor: a plane at z = " + number(t.scene.floorZ) + " m, " + number(kFloorGap) +
        " m below the lowest collision shape at the home pose" +
        (options.collision == Collision::None ? " (collision none: nothing rests on it)" : ""));
  }
}

}  // namespace sim
}  // namespace kalo_toolkit
