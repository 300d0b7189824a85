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
    Mat3 local{};
    for (int i = 0; i < 9; ++i) local[i] = body.getInertia()[i] * kgm2;
    link.com = cgPose.position;
    link.inertia = rotateTensor(cgPose.rotation, local);
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
    nameDofs(light.dofs, j.name);
    light.jointName = j.name;
    light.jointRawName = j.joint->getName();
    light.jointSubsystem = j.subsystem;
    tree_.links.push_back(light);
    tree_.report.push_back("joint " + quoted(j.name) + ": massless connector; light body " +
                           quoted(light.name) + " of " + number(kMinMass) +
                           " kg added between its two primitives");
    return static_cast<int>(tree_.links.size()) - 1;
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
    nameDofs(link.dofs, j.name);
    link.jointName = j.name;
    link.jointRawName = j.joint->getName();
    link.jointSubsystem = j.subsystem;
    order_.push_back(child);
  }

  void spanTree() {
    const size_t bodyCount = tree_.links.size();
    // The joints at each body (the world's at the end), in joint order, so the
    // tree grows in time linear in bodies and joints.
    std::vector<std::vector<size_t>> jointsAt(bodyCount + 1);
    auto slot = [bodyCount](int node) { return node == kWorld ? bodyCount : static_cast<size_t>(node); };
    for (size_t k = 0; k < joints_.size(); ++k) {
      jointsAt[slot(joints_[k].base)].push_back(k);
      if (joints_[k].follower != joints_[k].base) jointsAt[slot(joints_[k].follower)].push_back(k);
    }
    std::vector<bool> inTree(bodyCount, false), used(joints_.size(), false);
    std::deque<int> queue{kWorld};
    size_t nextLoose = 0;
    for (;;) {
      while (!queue.empty()) {
        const int node = queue.front();
        queue.pop_front();
        for (size_t k : jointsAt[slot(node)]) {
          if (used[k]) continue;
          const SourceJoint& j = joints_[k];
          const bool reversed = j.follower == node && j.base != node && j.base != kWorld && !inTree[j.base];
          const bool forward =
              j.base == node && j.follower != node && j.follower != kWorld && !inTree[j.follower];
          if (!forward && !reversed) continue;
          const int child = forward ? j.follower : j.base;
          used[k] = true;
          inTree[static_cast<size_t>(child)] = true;
          hang(node, child, j, reversed);
          queue.push_back(child);
        }
      }
      while (nextLoose < bodyCount && inTree[nextLoose]) ++nextLoose;
      if (nextLoose == bodyCount) break;
      // A body no chain of joints ties to the ground has no freedom in the
      // model (the converter gives every part it frees a joint of its own):
      // it stays where it stands, fixed to the world.
      SimLink& link = tree_.links[nextLoose];
      link.parent = kWorld;
      link.origin = link.com;
      link.jointName = tree_.names.claim(link.name + kPathSeparator + "fixed");
      tree_.report.push_back("body " + quoted(link.name) +
                             ": no joint ties it to the ground; fixed to the world where it stands");
      inTree[nextLoose] = true;
      order_.push_back(static_cast<int>(nextLoose));
      queue.push_back(static_cast<int>(nextLoose));
    }

    for (size_t k = 0; k < joints_.size(); ++k) {
      if (used[k]) continue;
      const SourceJoint& j = joints_[k];
      if (j.base == j.follower) {
        tree_.report.push_back("joint " + quoted(j.name) + ": both sides on " +
                               (j.base == kWorld
                                    ? std::string("the ground")
                                    : "body " + quoted(tree_.links[static_cast<size_t>(j.base)].name)) +
                               "; dropped");
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
      if (j.connector) {
        SimDof first = c.dofs[0];
        first.name.clear();
        c.link1 = addLightLink(j, j.base, first);
        order_.push_back(c.link1);
        c.dofs.erase(c.dofs.begin());
      }
      nameDofs(c.dofs, j.name);
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
    }
  }

  const ZoltModel& model_;
  const TreeOptions& options_;
  SimTree tree_;
  std::vector<SourceBody> bodies_;
  std::vector<SourceJoint> joints_;
  std::map<const Frame*, int> owner_;
  std::vector<int> order_;
  std::vector<Mat3> cgRotation_;  ///< per body, the axes of its centre of mass frame
};

}  // namespace

SimTree buildSimTree(const ZoltModel& model, const TreeOptions& options) {
  return TreeBuilder(model, options).build();
}

}  // namespace sim
}  // namespace kalo_toolkit
