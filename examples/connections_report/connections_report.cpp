// Slider-crank mechanism described the way a CAD assembly describes it: mating
// constraints between faces, edges and points of placed part instances. The
// library groups the constraints by the pair of instances they join, derives
// one joint per pair and prints the report. Exits 1 unless the joints are three
// revolutes and a prismatic whose two frames sit at the same place in space.

#include <kalo_csts2connections/kalo_csts2connections.hpp>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

using namespace kalo::csts2connections;
using ombra_math::Quaternion_T;
using ombra_math::Transform3_T;
using ombra_math::Vector3_T;
using G = ConstraintGeometry;

namespace {

// A part instance: its path in the assembly tree and its placement (instance
// coordinates to assembly coordinates).
struct Part {
  std::vector<std::string> path;
  Transform3_T placement;
};

// Placement rotated by `degrees` about `axis`, then moved by `t`.
Transform3_T placed(const Vector3_T& axis, double degrees, const Vector3_T& t) {
  const double half = degrees * ombra_math::pi / 360.0;
  const double s = std::sin(half) / axis.norm();
  return Transform3_T(Quaternion_T(std::cos(half), axis[0] * s, axis[1] * s, axis[2] * s), t);
}

// A geometry takes its position and direction in the coordinates of its own
// instance, as a CAD system stores them. This example lays the mechanism out in
// assembly coordinates, so it maps them back through the inverse placement.
G on(const Part& part, G::Type type, const Vector3_T& point, const Vector3_T& direction = Vector3_T::K) {
  const Transform3_T toPart = part.placement.inverseCompose(Transform3_T());
  return G(type, part.path, part.placement, toPart.xformPoint(point), toPart.xformDir(direction));
}

// The frame's pose in assembly coordinates.
Transform3_T inAssembly(const Frame& frame, const std::map<std::vector<std::string>, Part>& parts) {
  return parts.at(frame.instancePath).placement.compose(frame.transform);
}

}  // namespace

int main() {
  // The base is turned and moved in the assembly; the moving links sit in a
  // sub-assembly and are turned to the current crank angle.
  const Part base{{"Base"}, placed({0, 0, 1}, 15, {-1, 2, 0})};
  const Part crank{{"Linkage", "Crank"}, placed({0, 0, 1}, 90, {0, 0, 0})};
  const Part rod{{"Linkage", "Rod"}, placed({0, 0, 1}, -20.6, {0, 1.5, 0})};
  const Part crosshead{{"Crosshead"}, placed({1, 0, 0}, 180, {4, 0, -0.5})};
  const std::map<std::vector<std::string>, Part> parts{
      {base.path, base}, {crank.path, crank}, {rod.path, rod}, {crosshead.path, crosshead}};

  // All pins turn about z; the crosshead runs along x.
  const Vector3_T z(0, 0, 1), mainBearing(0, 0, 0), crankPin(0, 1.5, 0), wristPin(4, 0, 0);
  std::vector<Constraint> constraints{
      // Main bearing: the crank's journal edge lies on the base's bore edge.
      Constraint(Constraint::Coincident, "main bearing", on(base, G::Circle, mainBearing, z),
                 on(crank, G::Circle, mainBearing, z)),
      // Crank pin: a pin in a bore, plus a face contact that stops it sliding out.
      Constraint(Constraint::Concentric, "crank pin", on(crank, G::Cylinder, crankPin, z),
                 on(rod, G::Cylinder, crankPin, z)),
      Constraint(Constraint::Coincident, "crank pin face", on(rod, G::Plane, {0, 1.5, 0.5}, z),
                 on(crank, G::Plane, {0, 1.5, 0.5}, {0, 0, -1})),
      // Wrist pin: the rod's small-end edge on the crosshead's pin edge.
      Constraint(Constraint::Coincident, "wrist pin", on(rod, G::Circle, wristPin, z),
                 on(crosshead, G::Circle, wristPin, z)),
      // Guide: the crosshead rests on the slide (normals along z) and runs
      // against a side rail (normals along y); the two contacts leave x free.
      Constraint(Constraint::Coincident, "slide", on(crosshead, G::Plane, {5, 0, -1}, {0, 0, -1}),
                 on(base, G::Plane, {0, 3, -1}, z)),
      Constraint(Constraint::Coincident, "rail", on(crosshead, G::Plane, {5, -1, 0}, {0, -1, 0}),
                 on(base, G::Plane, {-2, -1, 7}, {0, 1, 0})),
  };

  Constraints2Connections engine;
  for (Constraint& c : constraints) engine.add(c);  // add() stores a copy
  engine.computeConnections();

  // Connections come in the engine's own order (one per instance pair); a
  // connection is recognised here by the first constraint of its group.
  const std::map<std::string, Connection::Type> expected{{"main bearing", Connection::Revolute},
                                                         {"crank pin", Connection::Revolute},
                                                         {"wrist pin", Connection::Revolute},
                                                         {"slide", Connection::Prismatic}};
  std::vector<std::string> names;
  for (const Connection& c : engine.connections) names.push_back(c.constraintsOriginal.front().name);
  engine.print(names);

  int faults = 0;
  if (engine.connections.size() != expected.size()) {
    std::printf("expected %zu connections, got %zu\n", expected.size(), engine.connections.size());
    ++faults;
  }
  for (std::size_t k = 0; k < engine.connections.size(); ++k) {
    const Connection& c = engine.connections[k];
    const auto want = expected.find(names[k]);
    if (want == expected.end() || c.type != want->second) {
      std::printf("%s: unexpected type %s\n", names[k].c_str(), c.getTypeName().c_str());
      ++faults;
      continue;
    }
    // Each frame is given in its own instance's coordinates; placed in the
    // assembly, base and follower must describe one pose.
    const Transform3_T b = inAssembly(c.baseFrame, parts), f = inAssembly(c.followerFrame, parts);
    double gap = (b.translation() - f.translation()).norm();
    for (const Vector3_T& axis : {Vector3_T::I, Vector3_T::J, Vector3_T::K})
      gap += (b.xformDir(axis) - f.xformDir(axis)).norm();
    if (gap > 1e-9) {
      std::printf("%s: base and follower frames differ by %g\n", names[k].c_str(), gap);
      ++faults;
    }
  }
  return faults == 0 ? 0 : 1;
}
