#pragma once

// What a simulator must show for a multibody file, computed straight from the
// kalo model with the toolkit's own accessors: SI units, world positions, the
// spanning tree from the ground in joint order and its loop closures. The
// export library is not used here, so that its results are checked against
// an independent reading of the model.

#include <array>
#include <map>
#include <string>
#include <vector>

namespace kalo_consumers {

using Vec3 = std::array<double, 3>;
/// Row-major 3x3.
using Mat3 = std::array<double, 9>;

constexpr int kWorld = -1;

struct ExpectedBody {
  std::string name;  ///< subsystem path and body name, '.'-separated
  double mass = 0;   ///< kg
  Vec3 cg{};         ///< world, m
  Mat3 inertia{};    ///< about cg, world axes, kg*m^2
  std::string geometry;
  int subsystem = 0;
};

struct ExpectedFrame {
  std::string site;  ///< body name, '.', frame name
  int body = kWorld;
  Vec3 position{};  ///< world, m
};

enum class Primitive { Weld, Prismatic, Revolute, Spherical };

struct ExpectedJoint {
  std::string name;  ///< subsystem path and joint name
  int base = kWorld, follower = kWorld;
  int baseFrame = -1, followerFrame = -1;  ///< indices into frames
  std::vector<Primitive> primitives;
  std::vector<Vec3> axes;  ///< world, unit, per primitive
  int freedoms = 0;
  bool sixDof = false;  ///< three prismatic primitives and a spherical one
  bool inTree = false;
  bool reversed = false;  ///< the tree reaches its follower first: the base hangs below
  /// Index of the body that hangs by this joint in the tree.
  int child() const { return reversed ? base : follower; }
};

struct ExpectedModel {
  std::vector<ExpectedBody> bodies;
  std::vector<ExpectedFrame> frames;
  std::vector<ExpectedJoint> joints;  ///< subsystems depth first, each in its own order
  std::vector<int> parentJoint;       ///< per body: the tree joint it hangs by, or -1
  std::vector<bool> floats;           ///< per body: the root of a floating group (a free joint)
  int floatingGroups = 0;
  int subsystems = 0;  ///< the top one included
  int treeFreedoms = 0;
  int closures = 0;
  double totalMass = 0;  ///< kg
  Vec3 centreOfMass{};   ///< world, m

  /// Whether some freedom lies between the body and the ground in the tree
  /// (a floating group's root has six).
  bool moving(int body) const;
  /// Bodies below the tree joint `joint` (its child and everything hanging from it).
  std::vector<bool> downstreamOf(int joint) const;
  int bodyIndex(const std::string& name) const;
  int jointIndex(const std::string& name) const;
};

/// Reads a kalo multibody file; fails the calling test (and returns false) when it cannot.
bool readExpectations(const std::string& path, ExpectedModel* model);

Vec3 rotateAbout(const Vec3& p, const Vec3& axis, const Vec3& point, double angle);

/// The moment of inertia of `body` about the line through `point` along unit `axis`.
double momentAbout(const ExpectedBody& body, const Vec3& axis, const Vec3& point);

}  // namespace kalo_consumers
