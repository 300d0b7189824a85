// Builds the simulation tree: bodies in SI and world coordinates, then a
// spanning tree from the ground in joint order, then mass bounds.

#include "sim_tree.hpp"

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/enum_text.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/frame_ref.hpp>
#include <kalo_toolkit/ground.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/primitive.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/subsystem_ref.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "link_colour.hpp"
#include "si_units.hpp"
#include "sim_text.hpp"

namespace kalo_toolkit {
namespace sim {

namespace {

constexpr int kWorld = -1;
constexpr int kUnknown = -2;

struct FramePose {
  Vec3 position{};
  Mat3 rotation{};
  double metres = 1.0;  ///< the frame's length unit in metres
};

struct SourceJoint {
  const Joint* joint = nullptr;
  int subsystem = 0;
  std::string prefix;  ///< subsystem path of the joint's subsystem, with separator
  std::string name;    ///< flat
  int base = kUnknown, follower = kUnknown;
  FramePose basePose, followerPose;
  bool connector = false;
  std::vector<SimDof> dofs;  ///< base to follower; for a connector [0] at the base, [1] at the follower
  bool sixDof = false;
};

bool finite(const double* v, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (!std::isfinite(v[i])) return false;
  return true;
}

std::string quoted(const std::string& s) { return "'" + s + "'"; }

FramePose readFrame(const Frame& frame, const std::string& owner) {
  const std::string where = "frame " + quoted(frame.getName()) + " of " + owner;
  FramePose pose;
  pose.metres = metresPer(frame.getPositionUnits());
  if (pose.metres == 0.0) throw ExportError(where + ": unknown length unit");
  if (!finite(frame.getPosition(), 3) || !finite(frame.getOrientation(), 9))
    throw ExportError(where + ": position or orientation is not a finite number");
  if (frame.getOrientationType() != KALOT_ROT_3X3)
    throw ExportError(where + ": orientation type " +
                      quoted(util::fromRotTypeToStr(frame.getOrientationType())) +
                      " is not supported (only \"3x3 Transform\")");
  // Frames are placed in the top assembly's coordinates; nothing else is defined.
  for (const std::string* ref : {&frame.getPosRefFrame(), &frame.getOrientationRefFrame()})
    if (!ref->empty() && *ref != "WORLD")
      throw ExportError(where + ": placed relative to " + quoted(*ref) + ", only \"WORLD\" is supported");
  for (int i = 0; i < 3; ++i) pose.position[i] = frame.getPosition()[i] * pose.metres;
  for (int i = 0; i < 9; ++i) pose.rotation[i] = frame.getOrientation()[i];
  // Tensors and meshes are turned by it: it must be a proper rotation.
  const Mat3 gram = times(transposed(pose.rotation), pose.rotation);
  const Mat3 unit = identity3();
  double worst = 0.0;
  for (int i = 0; i < 9; ++i) worst = std::max(worst, std::fabs(gram[i] - unit[i]));
  const Vec3 x{at(pose.rotation, 0, 0), at(pose.rotation, 1, 0), at(pose.rotation, 2, 0)};
  const Vec3 yz = cross({at(pose.rotation, 0, 1), at(pose.rotation, 1, 1), at(pose.rotation, 2, 1)},
                        {at(pose.rotation, 0, 2), at(pose.rotation, 1, 2), at(pose.rotation, 2, 2)});
  if (worst > 1e-6 || x[0] * yz[0] + x[1] * yz[1] + x[2] * yz[2] < 0)
    throw ExportError(where + ": orientation is not a rotation matrix");
  return pose;
}

class TreeBuilder {
 public:
  TreeBuilder(const ZoltModel& model, const TreeOptions& options) : model_(model), options_(options) {}

  SimTree build() {
    tree_.modelName = legalName(model_.getName());
    const Subsystem* top = model_.getTopSubsystem().get();
    if (!top) throw ExportError("model " + quoted(model_.getName()) + " has no top subsystem");
    collectSubsystem(*top, -1, "");
    for (size_t i = 0; i < bodies_.size(); ++i) readBody(static_cast<int>(i));
    for (SourceJoint& j : joints_) readJoint(j);
    spanTree();
    finishLinks();
    return std::move(tree_);
  }

 private:
  struct SourceBody {
    const Body* body;
    int subsystem;
    std::string path;
  };

  /// Bodies no chain of joints ties to the ground.
  struct Group {
    int root;     ///< the heaviest
    size_t size;  ///< bodies
    bool empty;   ///< no mass at all
  };

  void collectSubsystem(const Subsystem& s, int parent, const std::string& path) {
    const int index = static_cast<int>(tree_.subsystems.size());
    tree_.subsystems.push_back({s.getName(), parent});
    const std::string prefix = path.empty() ? std::string() : path + kPathSeparator;
    for (size_t i = 0; i < s.getBodyRefCount(); ++i) {
      const auto ref = s.getBodyRefAt(i);
      if (!ref || !ref->getBody()) continue;
      bodies_.push_back({ref->getBody().get(), index, prefix});
    }
    for (size_t i = 0; i < s.getGroundCount(); ++i) {
      const auto ground = s.getGroundAt(i);
      if (ground && ground->getFrame()) owner_[ground->getFrame().get()] = kWorld;
    }
    for (size_t i = 0; i < s.getJointCount(); ++i) {
      SourceJoint j;
      j.joint = s.getJointAt(i).get();
      j.subsystem = index;
      j.prefix = prefix;
      if (j.joint) joints_.push_back(j);
    }
    for (size_t i = 0; i < s.getSubsystemRefCount(); ++i) {
      const auto ref = s.getSubsystemRefAt(i);
      if (ref && ref->getSubsystem())
        collectSubsystem(*ref->getSubsystem(), index, prefix + ref->getSubsystem()->getName());
    }
  }

  void readBody(int index) {
    const SourceBody& src = bodies_[static_cast<size_t>(index)];
    const Body& body = *src.body;
    SimLink link;
    link.rawName = body.getName();
    link.name = tree_.names.claim(src.path + body.getName());
    link.subsystem = src.subsystem;
    const std::string where = "body " + quoted(link.name);

    // The centre of mass frame: "CG" by name, else the one the body marks, else the first frame.
    const Frame* cg = nullptr;
    for (size_t i = 0; i < body.getLinkCount() && !cg; ++i)
      if (body.getLinkAt(i) && body.getLinkAt(i)->getName() == "CG") cg = body.getLinkAt(i).get();
    if (!cg && body.getCGFrame()) cg = body.getCGFrame().get();
    if (!cg && body.getLinkCount() > 0 && body.getLinkAt(0)) {
      cg = body.getLinkAt(0).get();
      tree_.report.push_back(where + ": no frame named \"CG\"; its first frame " + quoted(cg->getName()) +
                             " taken as the centre of mass frame");
    }
    if (!cg) throw ExportError(where + ": has no frame to place it by");
    const FramePose cgPose = readFrame(*cg, where);

    const double kg = kilogramsPer(body.getMassUnits());
    const double kgm2 = kilogramSquareMetresPer(body.getInertiaUnits());
    if (kg == 0.0) throw ExportError(where + ": unknown mass unit");
    if (kgm2 == 0.0) throw ExportError(where + ": unknown inertia unit");
    if (!std::isfinite(body.getMass()) || !finite(body.getInertia(), 9))
      throw ExportError(where + ": mass or inertia is not a finite number");
    link.mass = body.getMass() * kg;
    link.modelMass = link.mass;
    Mat3 local{};
    for (int i = 0; i < 9; ++i) local[i] = body.getInertia()[i] * kgm2;
    link.com = cgPose.position;
    link.inertia = rotateTensor(cgPose.rotation, local);
    warnUnsimulated(where, link.mass, link.inertia);
    cgRotation_.push_back(cgPose.rotation);
    link.origin = link.com;
    readColour(body, &link, &tree_.report);

    // Sites for every frame; the part's own frame also places its mesh.
    const Frame* partFrame = body.getOriginFrame().get();
    for (size_t i = 0; i < body.getLinkCount(); ++i) {
      const Frame* f = body.getLinkAt(i).get();
      if (!f) continue;
      owner_[f] = index;
      const FramePose pose = f == cg ? cgPose : readFrame(*f, where);
      link.sites.push_back(
          {tree_.names.claim(link.name + kPathSeparator + f->getName()), pose.position, pose.rotation});
      // Frames made for a body carry no id; the first of them after the CG frame is the part's origin.
      if (!partFrame && f != cg && f->getID() == -1) partFrame = f;
    }
    if (!body.getFileName().empty()) {
      link.hasMesh = true;
      const FramePose pose = partFrame ? readFrame(*partFrame, where) : cgPose;
      if (!partFrame)
        tree_.report.push_back(
            where + ": no frame of the part's own origin; its mesh is placed at the centre of mass frame");
      link.mesh.position = pose.position;
      link.mesh.rotation = pose.rotation;
      link.mesh.scale = options_.meshScale > 0 ? options_.meshScale : cgPose.metres;
      std::string dir = options_.meshDir;
      if (!dir.empty() && dir.back() != '/') dir += '/';
      const std::string& file = body.getFileName();
      link.mesh.file = !file.empty() && file[0] == '/' ? file : dir + file;
    }
    tree_.links.push_back(std::move(link));
  }

  /// Masses and moments that round-off swamps in a simulator: kept, but the user is told.
  void warnUnsimulated(const std::string& where, double mass, const Mat3& inertia) {
    const auto outside = [](double v) {
      return v != 0.0 && (std::fabs(v) < kSmallestSimulated || std::fabs(v) > kLargestSimulated);
    };
    const std::string range =
        " is outside " + number(kSmallestSimulated) + " .. " + number(kLargestSimulated);
    if (outside(mass))
      tree_.report.push_back(where + ": mass " + number(mass) + " kg" + range +
                             " kg, where a simulator's round-off swamps it; check the mass unit");
    Vec3 moments{};
    Mat3 axes{};
    symmetricEigen(inertia, &moments, &axes);
    for (double m : moments)
      if (outside(m)) {
        tree_.report.push_back(where + ": principal moments (" + numbers(moments) + ") kg*m^2: " + number(m) +
                               range +
                               " kg*m^2, where a simulator's round-off swamps it; check the "
                               "inertia unit");
        break;
      }
  }

  int ownerOf(const FrameRef* side, const std::string& where, const char* which, FramePose* pose) {
    const Frame* frame = side ? side->getFrame().get() : nullptr;
    if (!frame) throw ExportError(where + ": the " + which + " side has no frame");
    const auto found = owner_.find(frame);
    if (found == owner_.end())
      throw ExportError(where + ": the " + which + " frame " + quoted(frame->getName()) +
                        " belongs to no body or ground of the model");
    *pose = readFrame(*frame, where);
    return found->second;
  }

  /// The axes a primitive's axis is given in: the world's, a frame of the joint, or the
  /// centre of mass frame of a body on one side of it.
  Mat3 axesOf(const std::string& ref, const SourceJoint& j, const std::string& where) {
    if (ref.empty() || ref == "WORLD") return identity3();
    const Joint& joint = *j.joint;
    if (joint.getBaseFrame()->getFrame()->getName() == ref) return j.basePose.rotation;
    if (joint.getFollowerFrame()->getFrame()->getName() == ref) return j.followerPose.rotation;
    for (int side : {j.base, j.follower})
      if (side != kWorld && bodies_[static_cast<size_t>(side)].body->getName() == ref)
        return cgRotation_[static_cast<size_t>(side)];
    tree_.report.push_back(where + ": axis reference frame " + quoted(ref) +
                           " is neither \"WORLD\" nor a frame or body of the joint; taken as the world axes");
    return identity3();
  }

  void readJoint(SourceJoint& j) {
    const Joint& joint = *j.joint;
    j.name = tree_.names.claim(j.prefix + joint.getName());
    const std::string where = "joint " + quoted(j.name);
    j.base = ownerOf(joint.getBaseFrame().get(), where, "base", &j.basePose);
    j.follower = ownerOf(joint.getFollowerFrame().get(), where, "follower", &j.followerPose);
    const int type = static_cast<int>(joint.getType());
    j.connector = type >= KALOT_JOINT_MASSLESS_CONNECTOR && type <= KALOT_JOINT_MASSLESS_CONNECTOR_PS;
    if (j.connector && joint.getPrimitiveCount() != 2) {
      tree_.report.push_back(
          where + ": massless connector with " + std::to_string(joint.getPrimitiveCount()) +
          " primitives (it needs two); exported as an ordinary joint at its follower frame");
      j.connector = false;
    }

    int slides = 0, balls = 0;
    bool connectorWeld = false;
    for (size_t i = 0; i < joint.getPrimitiveCount(); ++i) {
      const auto prim = joint.getPrimitiveAt(i);
      if (!prim) continue;
      const std::string primWhere = where + ", primitive " + std::to_string(i + 1);
      SimDof dof;
      switch (prim->getType()) {
        case KALOT_PRIM_WELD:
          connectorWeld = connectorWeld || j.connector;
          continue;
        case KALOT_PRIM_PRISMATIC:
          dof.kind = DofKind::Slide;
          ++slides;
          break;
        case KALOT_PRIM_REVOLUTE:
          dof.kind = DofKind::Hinge;
          break;
        case KALOT_PRIM_SPHERICAL:
          dof.kind = DofKind::Ball;
          ++balls;
          break;
        default:
          throw ExportError(primWhere + ": unknown primitive type " + quoted(prim->getName()));
      }
      if (!finite(prim->getAxis(), 3)) throw ExportError(primWhere + ": axis is not a finite number");
      const Vec3 given{prim->getAxis()[0], prim->getAxis()[1], prim->getAxis()[2]};
      const Vec3 axis = times(axesOf(prim->getRefFrame(), j, primWhere), given);
      if (dof.kind != DofKind::Ball) {
        const double length = norm(axis);
        if (!(length > 1e-12)) throw ExportError(primWhere + ": axis has no direction");
        dof.axis = scaled(axis, 1.0 / length);
      }
      // A connector's first primitive acts at its base frame, the second at its follower frame.
      dof.point = j.connector && i == 0 ? j.basePose.position : j.followerPose.position;
      j.dofs.push_back(dof);
    }
    // A connector with a welded end needs no body between: it is one joint at its free end.
    if (connectorWeld) j.connector = false;
    if (!j.connector && slides == 3 && balls == 1 && j.dofs.size() == 4) {
      Vec3 a[3];
      int n = 0;
      for (const SimDof& d : j.dofs)
        if (d.kind == DofKind::Slide) a[n++] = d.axis;
      const double det = a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
                         a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                         a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
      if (std::fabs(det) > 1e-9) {
        j.sixDof = true;
        // Translations first, then the ball: the order a free joint has.
        std::stable_partition(j.dofs.begin(), j.dofs.end(),
                              [](const SimDof& d) { return d.kind == DofKind::Slide; });
      }
    }
  }

  /// Freedoms of a joint seen from `childIsBase`: the inverse motion runs
  /// the primitives backwards with their axes reversed.
  static std::vector<SimDof> orientedDofs(std::vector<SimDof> dofs, bool reversed, bool sixDof) {
    if (!reversed) return dofs;
    // Six freedoms stay translations then ball, the form every format knows.
    std::vector<SimDof> out = sixDof ? dofs : std::vector<SimDof>(dofs.rbegin(), dofs.rend());
    for (SimDof& d : out) d.axis = scaled(d.axis, -1.0);
    return out;
  }

  void nameDofs(std::vector<SimDof>& dofs, const std::string& joint) {
    if (dofs.size() == 1) {
      dofs[0].name = joint;
      return;
    }
    std::map<DofKind, int> total, seen;
    for (const SimDof& d : dofs) ++total[d.kind];
    for (SimDof& d : dofs) {
      const char* word = d.kind == DofKind::Slide ? "slide" : d.kind == DofKind::Hinge ? "hinge" : "ball";
      const int n = ++seen[d.kind];
      d.name =
          tree_.names.claim(joint + kPathSeparator + word + (total[d.kind] > 1 ? std::to_string(n) : ""));
    }
  }

  int addLightLink(const SourceJoint& j, int parent, const SimDof& dof) {
    SimLink light;
    light.name = tree_.names.claim(j.name + kPathSeparator + "connector");
    light.rawName = j.joint->getName() + kPathSeparator + "connector";
    light.subsystem = j.subsystem;
    light.light = true;
    light.parent = parent;
    light.origin = dof.point;
    light.com = dof.point;
    light.mass = kMinMass;
    for (int i = 0; i < 3; ++i) at(light.inertia, i, i) = kMinMoment;
    light.dofs = {dof};
    nameConnectorEnd(light.dofs, j.name, "base");
    light.jointName = j.name;
    light.jointRawName = j.joint->getName();
    light.jointSubsystem = j.subsystem;
    tree_.links.push_back(light);
    tree_.report.push_back("joint " + quoted(j.name) + ": massless connector; light body " +
                           quoted(light.name) + " of " + number(kMinMass) +
                           " kg added between its two primitives");
    return static_cast<int>(tree_.links.size()) - 1;
  }

  /// The two ends of a connector are joints of their own: each gets a name of its own.
  void nameConnectorEnd(std::vector<SimDof>& dofs, const std::string& joint, const char* end) {
    if (dofs.size() == 1)
      dofs[0].name = tree_.names.claim(joint + kPathSeparator + end);
    else
      nameDofs(dofs, joint + kPathSeparator + end);
  }

  /// Hangs `child` from `parent` by joint j (whose base side is the child when reversed).
  void hang(int parent, int child, const SourceJoint& j, bool reversed) {
    std::vector<SimDof> dofs = orientedDofs(j.dofs, reversed, j.sixDof);
    if (j.connector) {
      // The first freedom moves the light body, the second the child.
      dofs[0].name.clear();
      const int light = addLightLink(j, parent, dofs[0]);
      order_.push_back(light);
      parent = light;
      dofs.erase(dofs.begin());
    }
    SimLink& link = tree_.links[static_cast<size_t>(child)];
    link.parent = parent;
    link.origin = dofs.empty() ? j.followerPose.position : dofs.back().point;
    link.dofs = dofs;
    link.sixDof = j.sixDof;
    if (j.connector)
      nameConnectorEnd(link.dofs, j.name, "follower");
    else
      nameDofs(link.dofs, j.name);
    link.jointName = j.name;
    link.jointRawName = j.joint->getName();
    link.jointSubsystem = j.subsystem;
    order_.push_back(child);
  }

  /// How well a closure at this joint can be written: 0 a ball (one point held), 1 a hinge
  /// (two points on its axis), 2 a weld; 3 anything else, which no equality expresses exactly.
  static int cutRank(const SourceJoint& j) {
    if (j.connector || j.sixDof) return 3;
    if (j.dofs.empty()) return 2;
    if (j.dofs.size() == 1 && j.dofs[0].kind == DofKind::Ball) return 0;
    if (j.dofs.size() == 1 && j.dofs[0].kind == DofKind::Hinge) return 1;
    return 3;
  }

  size_t slot(int node) const { return node == kWorld ? bodies_.size() : static_cast<size_t>(node); }

  /// Grows a tree from `start` over the joints not yet used, each body reached
  /// looking at its joints in joint order. Within a floating group six-DOF
  /// joints constrain nothing and join nothing.
  void grow(int start, bool floating, std::vector<bool>& reached) {
    std::deque<int> queue{start};
    while (!queue.empty()) {
      const int node = queue.front();
      queue.pop_front();
      for (size_t k : jointsAt_[slot(node)]) {
        const SourceJoint& j = joints_[k];
        if (inTree_[k] || (floating && j.sixDof)) continue;
        const int other = j.base == node ? j.follower : j.base;
        if (other == node || other == kWorld || reached[static_cast<size_t>(other)]) continue;
        inTree_[k] = true;
        reached[static_cast<size_t>(other)] = true;
        queue.push_back(other);
      }
    }
  }

  /// Which joints form the tree: from the ground in joint order, then each group of bodies no
  /// joint ties to the ground from its heaviest body (the first in model order among equals).
  void chooseTree() {
    const size_t bodyCount = bodies_.size();
    jointsAt_.assign(bodyCount + 1, {});
    for (size_t k = 0; k < joints_.size(); ++k) {
      jointsAt_[slot(joints_[k].base)].push_back(k);
      if (joints_[k].follower != joints_[k].base) jointsAt_[slot(joints_[k].follower)].push_back(k);
    }
    inTree_.assign(joints_.size(), false);
    std::vector<bool> reached(bodyCount, false), grouped(bodyCount, false);
    grow(kWorld, false, reached);
    for (size_t first = 0; first < bodyCount; ++first) {
      if (reached[first] || grouped[first]) continue;
      // The group: every body that joints other than six-DOF ones join to this one.
      std::vector<int> members{static_cast<int>(first)};
      grouped[first] = true;
      for (size_t m = 0; m < members.size(); ++m)
        for (size_t k : jointsAt_[slot(members[m])]) {
          const SourceJoint& j = joints_[k];
          const int other = j.base == members[m] ? j.follower : j.base;
          if (j.sixDof || other == kWorld || grouped[static_cast<size_t>(other)]) continue;
          grouped[static_cast<size_t>(other)] = true;
          members.push_back(other);
        }
      std::sort(members.begin(), members.end());
      int root = members.front();
      double mass = 0.0;
      for (int b : members) {
        mass += tree_.links[static_cast<size_t>(b)].mass;
        if (tree_.links[static_cast<size_t>(b)].mass > tree_.links[static_cast<size_t>(root)].mass) root = b;
      }
      reached[static_cast<size_t>(root)] = true;
      grow(root, true, reached);
      groups_.push_back({root, members.size(), !(mass > 0.0)});
    }
  }

  /// Parent joint and parent node of every body in the chosen tree.
  void orient(std::vector<int>& parentJoint, std::vector<int>& parentNode) {
    parentJoint.assign(bodies_.size(), -1);
    parentNode.assign(bodies_.size(), kWorld);
    std::vector<bool> seen(bodies_.size(), false);
    std::deque<int> queue{kWorld};
    for (const Group& g : groups_) {
      seen[static_cast<size_t>(g.root)] = true;
      queue.push_back(g.root);
    }
    while (!queue.empty()) {
      const int node = queue.front();
      queue.pop_front();
      for (size_t k : jointsAt_[slot(node)]) {
        if (!inTree_[k]) continue;
        const SourceJoint& j = joints_[k];
        const int other = j.base == node ? j.follower : j.base;
        if (other == kWorld || seen[static_cast<size_t>(other)]) continue;
        seen[static_cast<size_t>(other)] = true;
        parentJoint[static_cast<size_t>(other)] = static_cast<int>(k);
        parentNode[static_cast<size_t>(other)] = node;
        queue.push_back(other);
      }
    }
  }

  /// Cuts each loop where its closure is expressible: a loop closed by a joint of a worse
  /// rank than one of the tree joints around it is cut at the best of those instead.
  void chooseCuts() {
    std::vector<int> parentJoint, parentNode;
    orient(parentJoint, parentNode);
    for (bool changed = true; changed;) {
      changed = false;
      for (size_t k = 0; k < joints_.size() && !changed; ++k) {
        const SourceJoint& c = joints_[k];
        if (inTree_[k] || c.base == c.follower || c.sixDof || cutRank(c) == 0) continue;
        // The loop: the tree path between the closure's two sides.
        std::map<int, size_t> depthOnA;
        size_t d = 0;
        for (int at = c.base;; at = parentNode[static_cast<size_t>(at)]) {
          depthOnA[at] = d++;
          if (at == kWorld || parentJoint[static_cast<size_t>(at)] < 0) break;
        }
        std::vector<int> loop;
        int meet = c.follower;
        for (; !depthOnA.count(meet); meet = parentNode[static_cast<size_t>(meet)]) {
          if (meet == kWorld || parentJoint[static_cast<size_t>(meet)] < 0) break;
          loop.push_back(parentJoint[static_cast<size_t>(meet)]);
        }
        if (!depthOnA.count(meet)) continue;  // the two sides hang in different trees
        for (int at = c.base; at != meet; at = parentNode[static_cast<size_t>(at)])
          loop.push_back(parentJoint[static_cast<size_t>(at)]);
        int best = -1;
        for (int t : loop)
          if (cutRank(joints_[static_cast<size_t>(t)]) < cutRank(c) &&
              (best < 0 ||
               cutRank(joints_[static_cast<size_t>(t)]) < cutRank(joints_[static_cast<size_t>(best)]) ||
               (cutRank(joints_[static_cast<size_t>(t)]) == cutRank(joints_[static_cast<size_t>(best)]) &&
                t < best)))
            best = t;
        if (best < 0) continue;
        inTree_[static_cast<size_t>(best)] = false;
        inTree_[k] = true;
        orient(parentJoint, parentNode);
        changed = true;
      }
    }
  }

  /// The root of a group: a free joint, or fixed where it stands when it carries no mass
  /// or the caller anchors floating groups.
  void rootGroup(const Group& g) {
    SimLink& link = tree_.links[static_cast<size_t>(g.root)];
    link.parent = kWorld;
    link.origin = link.com;
    const std::string who =
        "body " + quoted(link.name) +
        (g.size > 1 ? " and the " + std::to_string(g.size - 1) + " bodies joined to it" : "");
    if (g.empty || options_.fixedBase) {
      link.jointName = tree_.names.claim(link.name + kPathSeparator + "fixed");
      tree_.report.push_back(who + ": no joint ties " + (g.size > 1 ? "them" : "it") + " to the ground; " +
                             (g.empty ? "no mass, so" : "--fixed-base:") + " fixed to the world where " +
                             (g.size > 1 ? "they stand" : "it stands"));
    } else {
      link.jointName = tree_.names.claim(link.name + kPathSeparator + "free");
      link.sixDof = true;
      for (int a = 0; a < 3; ++a) {
        SimDof slide;
        slide.kind = DofKind::Slide;
        slide.axis[static_cast<size_t>(a)] = 1.0;
        slide.point = link.com;
        link.dofs.push_back(slide);
      }
      SimDof ball;
      ball.kind = DofKind::Ball;
      ball.point = link.com;
      link.dofs.push_back(ball);
      ++tree_.floatingGroups;
      tree_.report.push_back(
          who + ": no joint ties " + (g.size > 1 ? "them" : "it") + " to the ground; " +
          (g.size > 1 ? "they float, " + quoted(link.name) + " (the heaviest) on" : "it floats on") +
          " a free joint");
    }
    order_.push_back(g.root);
  }

  /// Hangs every body on the chosen tree: from the ground, then each floating group from its root.
  void spanTree() {
    chooseTree();
    chooseCuts();
    std::vector<bool> hung(bodies_.size(), false);
    std::vector<int> starts{kWorld};
    for (const Group& g : groups_) starts.push_back(g.root);
    for (size_t s = 0; s < starts.size(); ++s) {
      if (s > 0) {
        rootGroup(groups_[s - 1]);
        hung[static_cast<size_t>(starts[s])] = true;
      }
      std::deque<int> queue{starts[s]};
      while (!queue.empty()) {
        const int node = queue.front();
        queue.pop_front();
        for (size_t k : jointsAt_[slot(node)]) {
          if (!inTree_[k]) continue;
          const SourceJoint& j = joints_[k];
          const bool forward = j.base == node;
          const int child = forward ? j.follower : j.base;
          if (child == kWorld || child == node || hung[static_cast<size_t>(child)]) continue;
          hung[static_cast<size_t>(child)] = true;
          hang(node, child, j, !forward);
          queue.push_back(child);
        }
      }
    }

    for (size_t k = 0; k < joints_.size(); ++k) {
      if (inTree_[k]) continue;
      const SourceJoint& j = joints_[k];
      if (j.base == j.follower) {
        tree_.report.push_back("joint " + quoted(j.name) + ": both sides on " +
                               (j.base == kWorld
                                    ? std::string("the ground")
                                    : "body " + quoted(tree_.links[static_cast<size_t>(j.base)].name)) +
                               "; dropped");
        continue;
      }
      if (j.sixDof) {
        tree_.report.push_back(
            "joint " + quoted(j.name) +
            ": six freedoms between bodies that move on their own constrain nothing; left out");
        continue;
      }
      SimClosure c;
      c.name = j.name;
      c.rawName = j.joint->getName();
      c.subsystem = j.subsystem;
      c.link1 = j.base;
      c.link2 = j.follower;
      c.point = j.followerPose.position;
      c.dofs = j.dofs;
      c.basePoint = j.basePose.position;
      if (j.connector) {
        SimDof first = c.dofs[0];
        first.name.clear();
        c.link1 = addLightLink(j, j.base, first);
        order_.push_back(c.link1);
        c.dofs.erase(c.dofs.begin());
        nameConnectorEnd(c.dofs, j.name, "follower");
      } else {
        nameDofs(c.dofs, j.name);
      }
      const double apart = norm(sub(c.point, c.basePoint));
      if (apart > 1e-9)
        tree_.report.push_back("joint " + quoted(j.name) + ": closes a loop with its two frames " +
                               number(apart) + " m apart at rest; held where its follower frame stands");
      if (cutRank(j) == 3)
        tree_.report.push_back("joint " + quoted(j.name) +
                               ": closes a loop in which no ball, hinge or weld joint could be cut instead");
      tree_.closures.push_back(c);
    }
  }

  void finishLinks() {
    // Parents before children: the order in which links were hung.
    std::vector<int> position(tree_.links.size());
    for (size_t i = 0; i < order_.size(); ++i) position[static_cast<size_t>(order_[i])] = static_cast<int>(i);
    std::vector<SimLink> ordered;
    ordered.reserve(order_.size());
    for (int index : order_) ordered.push_back(std::move(tree_.links[static_cast<size_t>(index)]));
    for (SimLink& link : ordered)
      if (link.parent != kWorld) link.parent = position[static_cast<size_t>(link.parent)];
    for (SimClosure& c : tree_.closures) {
      if (c.link1 != kWorld) c.link1 = position[static_cast<size_t>(c.link1)];
      if (c.link2 != kWorld) c.link2 = position[static_cast<size_t>(c.link2)];
    }
    tree_.links = std::move(ordered);

    for (size_t i = 0; i < tree_.links.size(); ++i) {
      SimLink& link = tree_.links[i];
      const SimLink* parent =
          link.parent == kWorld ? nullptr : &tree_.links[static_cast<size_t>(link.parent)];
      // Six freedoms relative to a body that cannot move are six freedoms relative to the world.
      if (link.sixDof && (!parent || !parent->moving)) {
        link.parent = kWorld;
        link.free = true;
        parent = nullptr;
      }
      link.moving = !link.dofs.empty() || (parent && parent->moving);
      if (link.parent == kWorld)
        tree_.roots.push_back(static_cast<int>(i));
      else
        tree_.links[static_cast<size_t>(link.parent)].children.push_back(static_cast<int>(i));
      if (link.light) continue;
      // Only a body that its own freedoms move needs mass of its own; one welded to a
      // moving body rides on that body's mass.
      const std::string what = boundMassProperties(!link.dofs.empty(), &link.mass, &link.inertia);
      if (!what.empty()) tree_.report.push_back("body " + quoted(link.name) + ": " + what);
      warnIllConditioned(link);
    }
  }

  /// A tensor whose moments span more than nine orders of magnitude loses its smallest
  /// to round-off, in a simulator and in SDFormat's check of the tensor alike.
  void warnIllConditioned(const SimLink& link) {
    Vec3 moments{};
    Mat3 axes{};
    symmetricEigen(link.inertia, &moments, &axes);
    if (moments[2] > 0 && moments[0] < 1e-9 * moments[2])
      tree_.report.push_back("body " + quoted(link.name) + ": principal moments (" + numbers(moments) +
                             ") kg*m^2 span more than nine orders of magnitude; round-off in a simulator may "
                             "lose the smallest (SDFormat may call the inertia invalid)");
  }

  const ZoltModel& model_;
  const TreeOptions& options_;
  SimTree tree_;
  std::vector<SourceBody> bodies_;
  std::vector<SourceJoint> joints_;
  std::map<const Frame*, int> owner_;
  std::vector<int> order_;
  std::vector<Mat3> cgRotation_;               ///< per body, the axes of its centre of mass frame
  std::vector<std::vector<size_t>> jointsAt_;  ///< per body (the world's last), its joints in joint order
  std::vector<bool> inTree_;                   ///< per joint
  std::vector<Group> groups_;  ///< bodies no joint ties to the ground, in model order of their first body
};

}  // namespace

SimTree buildSimTree(const ZoltModel& model, const TreeOptions& options) {
  return TreeBuilder(model, options).build();
}

}  // namespace sim
}  // namespace kalo_toolkit
