#include <kalo_toolkit/mechanism_simplifier.hpp>

#include <algorithm>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include <boost/make_shared.hpp>
#include <boost/pointer_cast.hpp>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/frame_ref.hpp>
#include <kalo_toolkit/ground.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/primitive.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/subsystem_ref.hpp>

// Every pass below is linear in the size of the model: pointers are used as
// lookup keys only, never to order anything, so the result depends on the
// model's structure alone. Lists are shortened only at their end (the model's
// remove operations erase from a vector), and a group merge is a union-find
// step instead of a relabelling of every recorded entry.

namespace kalo_toolkit {

namespace {

using BodyPtr = boost::shared_ptr<Body>;
using BodyRefPtr = boost::shared_ptr<BodyRef>;
using GroundPtr = boost::shared_ptr<Ground>;
using JointPtr = boost::shared_ptr<Joint>;
using SubsystemPtr = boost::shared_ptr<Subsystem>;

SubsystemPtr parentSubsystem(const ZoltBase& object) {
  return boost::dynamic_pointer_cast<Subsystem>(object.getParent());
}

// The body that owns the frame a joint side points at; empty when the side
// has no frame or the frame belongs to something else (a ground, say).
BodyPtr sideBody(const boost::shared_ptr<FrameRef>& side) {
  if (!side) return BodyPtr();
  const boost::shared_ptr<Frame> frame = side->getFrame();
  if (!frame) return BodyPtr();
  return boost::dynamic_pointer_cast<Body>(frame->getParent());
}

bool isRigidJoint(const Joint& joint) {
  if (joint.getPrimitiveCount() != 1) return false;
  const boost::shared_ptr<Primitive> primitive = joint.getPrimitiveAt(0);
  return primitive && primitive->getType() == KALOT_PRIM_WELD;
}

// Snapshot of a subsystem's movable content, taken before it is emptied.
struct Content {
  std::vector<BodyRefPtr> bodyRefs;
  std::vector<JointPtr> joints;
  std::vector<GroundPtr> grounds;
};

Content takeContent(Subsystem& s) {
  Content c;
  c.bodyRefs.reserve(s.getBodyRefCount());
  for (size_t i = 0; i < s.getBodyRefCount(); ++i) c.bodyRefs.push_back(s.getBodyRefAt(i));
  c.joints.reserve(s.getJointCount());
  for (size_t i = 0; i < s.getJointCount(); ++i) c.joints.push_back(s.getJointAt(i));
  c.grounds.reserve(s.getGroundCount());
  for (size_t i = 0; i < s.getGroundCount(); ++i) c.grounds.push_back(s.getGroundAt(i));
  while (s.getBodyRefCount() > 0) s.removeBodyRef(s.getBodyRefCount() - 1);
  while (s.getJointCount() > 0) s.removeJoint(s.getJointCount() - 1);
  while (s.getGroundCount() > 0) s.removeGround(s.getGroundCount() - 1);
  return c;
}

// Child subsystems of s, then s's references to them removed.
std::vector<SubsystemPtr> takeChildren(Subsystem& s) {
  std::vector<SubsystemPtr> children;
  children.reserve(s.getSubsystemRefCount());
  for (size_t i = 0; i < s.getSubsystemRefCount(); ++i) {
    const boost::shared_ptr<SubsystemRef> ref = s.getSubsystemRefAt(i);
    if (ref && ref->getSubsystem()) children.push_back(ref->getSubsystem());
  }
  while (s.getSubsystemRefCount() > 0) s.removeSubsystemRef(s.getSubsystemRefCount() - 1);
  return children;
}

template <typename T>
void renameWithPath(T& object, const std::string& path, std::string& buffer) {
  if (path.empty()) return;
  buffer.assign(path).append(object.getName());
  object.setName(buffer);
}

}  // namespace

struct MechanismSimplifier::Impl {
  // One recorded member of a group: a body or a weld joint of a subsystem.
  enum class Kind : char {
    Body,
    Joint,        // between two bodies of one subsystem
    JointAcross,  // between bodies of different subsystems: never moved
  };
  struct Entry {
    int64_t group;  // id at the time of recording; resolved through the union-find
    boost::shared_ptr<ZoltBase> item;
    Kind kind;
  };
  struct SubsystemGroups {
    SubsystemPtr subsystem;
    std::vector<Entry> entries;
  };

  // Group ids 0 .. groupCount-1 index these. A merge links the follower's set
  // under the base's and gives the union the base's id (its label).
  std::vector<int64_t> link;
  std::vector<int64_t> label;
  std::vector<int64_t> setSize;
  std::unordered_map<const Body*, int64_t> bodyGroups;
  // Subsystems with recorded entries, in order of first use: that order is
  // fixed by the model's structure, which keeps the build pass deterministic.
  std::vector<SubsystemGroups> groupsBySubsystem;
  std::unordered_map<const Subsystem*, size_t> subsystemSlot;

  void flatten(const SubsystemPtr& top);
  void group(const SubsystemPtr& top);
  void groupJoint(const JointPtr& joint);
  void build();
  void buildSubsystem(SubsystemGroups& sg);

  int64_t newGroup() {
    const int64_t id = static_cast<int64_t>(link.size());
    link.push_back(id);
    label.push_back(id);
    setSize.push_back(1);
    return id;
  }
  int64_t findRoot(int64_t id) {
    int64_t root = id;
    while (link[root] != root) root = link[root];
    while (link[id] != root) {
      const int64_t next = link[id];
      link[id] = root;
      id = next;
    }
    return root;
  }
  int64_t groupOf(int64_t id) { return label[findRoot(id)]; }
  // Merges the set of `follower` into the set of `base`; returns the new root.
  int64_t merge(int64_t baseRoot, int64_t followerRoot) {
    const int64_t keepLabel = label[baseRoot];
    int64_t root = baseRoot, other = followerRoot;
    if (setSize[root] < setSize[other]) std::swap(root, other);
    link[other] = root;
    setSize[root] += setSize[other];
    label[root] = keepLabel;
    return root;
  }
  void record(const SubsystemPtr& s, int64_t g, const boost::shared_ptr<ZoltBase>& item, Kind kind) {
    auto found = subsystemSlot.emplace(s.get(), groupsBySubsystem.size());
    if (found.second) groupsBySubsystem.push_back(SubsystemGroups{s, {}});
    groupsBySubsystem[found.first->second].entries.push_back(Entry{g, item, kind});
  }
};

// Moves every body reference, joint and ground below top into top. The result
// equals flattening child by child from the last subsystem reference to the
// first, each child emptied into its parent from the end of its lists, with
// names prefixed level by level. Here every item is moved and renamed once,
// with the whole path at once, so depth costs nothing beyond the names' length.
//
// Order: a subsystem X whose content arrives forward contributes its own items
// in order, then its children from last to first, each arriving reversed; a
// reversed X contributes its children from first to last, each forward, then
// its own items backwards.
void MechanismSimplifier::Impl::flatten(const SubsystemPtr& top) {
  struct Level {
    std::vector<SubsystemPtr> children;  // in visiting order
    size_t nextChild;
    bool reversed;
    size_t pathLength;
    Content own;
  };
  Content moved;
  std::string path;  // names of the subsystems walked down into, each followed by '\'
  std::unordered_set<const Subsystem*> seen{top.get()};
  std::vector<Level> stack;
  std::string nameBuffer;

  auto emit = [&](const Content& c, bool backwards) {
    const size_t nb = c.bodyRefs.size(), nj = c.joints.size(), ng = c.grounds.size();
    for (size_t k = 0; k < nb; ++k) {
      const BodyRefPtr& ref = c.bodyRefs[backwards ? nb - 1 - k : k];
      if (ref) {
        renameWithPath(*ref, path, nameBuffer);
        if (const BodyPtr& body = ref->getBody()) {
          renameWithPath(*body, path, nameBuffer);
          body->setParent(top);
        }
      }
      moved.bodyRefs.push_back(ref);
    }
    for (size_t k = 0; k < nj; ++k) {
      const JointPtr& joint = c.joints[backwards ? nj - 1 - k : k];
      if (joint) {
        renameWithPath(*joint, path, nameBuffer);
        joint->setParent(top);
      }
      moved.joints.push_back(joint);
    }
    for (size_t k = 0; k < ng; ++k) {
      const GroundPtr& ground = c.grounds[backwards ? ng - 1 - k : k];
      if (ground) {
        renameWithPath(*ground, path, nameBuffer);
        ground->setParent(top);
      }
      moved.grounds.push_back(ground);
    }
  };

  {
    Level root{takeChildren(*top), 0, false, 0, Content()};
    std::reverse(root.children.begin(), root.children.end());
    stack.push_back(std::move(root));
  }
  while (!stack.empty()) {
    Level& current = stack.back();
    if (current.nextChild < current.children.size()) {
      const SubsystemPtr child = current.children[current.nextChild++];
      const bool reversed = !current.reversed;
      // A subsystem met again (shared, or a cycle) was emptied on its first visit.
      if (!seen.insert(child.get()).second) continue;
      Level next{takeChildren(*child), 0, reversed, path.size(), takeContent(*child)};
      if (!reversed) std::reverse(next.children.begin(), next.children.end());
      if (!child->getName().empty()) path += child->getName() + '\\';
      if (!reversed) emit(next.own, false);
      stack.push_back(std::move(next));  // invalidates `current`
      continue;
    }
    if (current.reversed) emit(current.own, true);
    path.resize(current.pathLength);
    stack.pop_back();
  }

  for (const BodyRefPtr& ref : moved.bodyRefs) top->addBodyRef(ref);
  for (const JointPtr& joint : moved.joints) top->addJoint(joint);
  for (const GroundPtr& ground : moved.grounds) top->addGround(ground);
}

// Post-order walk: children first, in list order, then the subsystem's joints.
void MechanismSimplifier::Impl::group(const SubsystemPtr& top) {
  struct Level {
    SubsystemPtr subsystem;
    size_t nextChild;
  };
  std::unordered_set<const Subsystem*> seen{top.get()};
  std::vector<Level> stack{Level{top, 0}};
  while (!stack.empty()) {
    Level& current = stack.back();
    Subsystem& s = *current.subsystem;
    if (current.nextChild < s.getSubsystemRefCount()) {
      const boost::shared_ptr<SubsystemRef> ref = s.getSubsystemRefAt(current.nextChild++);
      if (ref && ref->getSubsystem() && seen.insert(ref->getSubsystem().get()).second)
        stack.push_back(Level{ref->getSubsystem(), 0});  // invalidates `current`
      continue;
    }
    for (size_t i = 0; i < s.getJointCount(); ++i) {
      const JointPtr joint = s.getJointAt(i);
      if (joint) groupJoint(joint);
    }
    stack.pop_back();
  }
}

void MechanismSimplifier::Impl::groupJoint(const JointPtr& joint) {
  if (!isRigidJoint(*joint)) return;
  const BodyPtr a = sideBody(joint->getBaseFrame());
  const BodyPtr b = sideBody(joint->getFollowerFrame());
  if (!a || !b) return;
  const SubsystemPtr sa = parentSubsystem(*a), sb = parentSubsystem(*b), sj = parentSubsystem(*joint);
  if (!sa || !sb || !sj) return;

  const auto ia = bodyGroups.find(a.get());
  const auto ib = bodyGroups.find(b.get());
  int64_t g;
  if (ia == bodyGroups.end() && ib == bodyGroups.end()) {
    g = newGroup();
    bodyGroups.emplace(a.get(), g);
    record(sa, g, a, Kind::Body);
    // A body welded to itself is recorded twice, so the group's size counts as
    // it always has; the build pass names its body reference once.
    bodyGroups.emplace(b.get(), g);
    record(sb, g, b, Kind::Body);
  } else if (ib == bodyGroups.end()) {
    g = findRoot(ia->second);
    bodyGroups.emplace(b.get(), g);
    record(sb, g, b, Kind::Body);
  } else if (ia == bodyGroups.end()) {
    g = findRoot(ib->second);
    bodyGroups.emplace(a.get(), g);
    record(sa, g, a, Kind::Body);
  } else {
    const int64_t ra = findRoot(ia->second), rb = findRoot(ib->second);
    g = ra == rb ? ra : merge(ra, rb);
  }
  // Bodies of one group and one subsystem are moved together, into the same
  // rigid subsystem, so whether the two bodies share a parent cannot change
  // before the build pass looks at it.
  record(sj, g, joint, sa == sb ? Kind::Joint : Kind::JointAcross);
}

void MechanismSimplifier::Impl::build() {
  const size_t groupCount = link.size();
  if (groupCount == 0) return;
  // Counting sort of every subsystem's entries by their final group id; the
  // relative order of entries with one id stays that of recording.
  std::vector<size_t> start(groupCount + 1, 0);
  for (SubsystemGroups& sg : groupsBySubsystem)
    for (Entry& e : sg.entries) {
      e.group = groupOf(e.group);
      ++start[static_cast<size_t>(e.group) + 1];
    }
  for (size_t g = 0; g < groupCount; ++g) start[g + 1] += start[g];
  std::vector<std::pair<size_t, size_t>> order(start[groupCount]);  // (subsystem, entry)
  for (size_t si = 0; si < groupsBySubsystem.size(); ++si) {
    const std::vector<Entry>& entries = groupsBySubsystem[si].entries;
    for (size_t ei = 0; ei < entries.size(); ++ei)
      order[start[static_cast<size_t>(entries[ei].group)]++] = std::make_pair(si, ei);
  }
  std::vector<std::vector<Entry>> sorted(groupsBySubsystem.size());
  for (const auto& [si, ei] : order) sorted[si].push_back(std::move(groupsBySubsystem[si].entries[ei]));
  for (size_t si = 0; si < groupsBySubsystem.size(); ++si) {
    groupsBySubsystem[si].entries = std::move(sorted[si]);
    buildSubsystem(groupsBySubsystem[si]);
  }
}

// Entries arrive sorted by group id. Indices refer to the lists as they were
// on entry; moved items are only marked and the lists compacted once at the
// end, which leaves the same result as removing them group by group.
void MechanismSimplifier::Impl::buildSubsystem(SubsystemGroups& sg) {
  Subsystem& s = *sg.subsystem;
  const size_t bodyRefTotal = s.getBodyRefCount(), jointTotal = s.getJointCount();
  std::unordered_map<const Body*, size_t> firstBodyRef;
  firstBodyRef.reserve(bodyRefTotal);
  for (size_t i = 0; i < bodyRefTotal; ++i) {
    const BodyRefPtr ref = s.getBodyRefAt(i);
    if (ref && ref->getBody()) firstBodyRef.emplace(ref->getBody().get(), i);
  }
  std::unordered_map<const Joint*, size_t> jointIndex;
  jointIndex.reserve(jointTotal);
  for (size_t i = 0; i < jointTotal; ++i) {
    const JointPtr joint = s.getJointAt(i);
    if (joint) jointIndex.emplace(joint.get(), i);
  }

  size_t bodyRefCount = bodyRefTotal, jointCount = jointTotal, subsystemRefCount = s.getSubsystemRefCount();
  std::vector<char> bodyMoved(bodyRefTotal, 0), jointMoved(jointTotal, 0);
  int rigidNumber = 0;
  std::vector<size_t> bodyIdx, jointIdx;
  const std::vector<Entry>& entries = sg.entries;
  for (size_t first = 0; first < entries.size();) {
    size_t last = first;
    while (last < entries.size() && entries[last].group == entries[first].group) ++last;
    const size_t n = last - first;
    const size_t begin = first;
    first = last;
    // One group and nothing else: the subsystem is rigid as it stands.
    if (n <= 1 || (bodyRefCount + jointCount == n && subsystemRefCount == 0)) continue;

    bodyIdx.clear();
    jointIdx.clear();
    for (size_t k = begin; k < last; ++k) {
      const Entry& e = entries[k];
      if (e.kind == Kind::Body) {
        const auto it = firstBodyRef.find(static_cast<const Body*>(e.item.get()));
        if (it != firstBodyRef.end() && !bodyMoved[it->second]) bodyIdx.push_back(it->second);
        continue;
      }
      // A weld between bodies of different subsystems stays where it is.
      if (e.kind == Kind::JointAcross) continue;
      const auto it = jointIndex.find(static_cast<const Joint*>(e.item.get()));
      if (it != jointIndex.end() && !jointMoved[it->second]) jointIdx.push_back(it->second);
    }
    std::sort(bodyIdx.begin(), bodyIdx.end());
    bodyIdx.erase(std::unique(bodyIdx.begin(), bodyIdx.end()), bodyIdx.end());
    std::sort(jointIdx.begin(), jointIdx.end());
    jointIdx.erase(std::unique(jointIdx.begin(), jointIdx.end()), jointIdx.end());
    if (bodyIdx.size() + jointIdx.size() < 2) continue;

    char name[40];
    std::snprintf(name, sizeof name, "RigidSubsystem%i", ++rigidNumber);
    const auto rigid = boost::make_shared<Subsystem>(name);
    rigid->setRigidFlag(true);
    static const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    static const double zero[3] = {0, 0, 0};
    s.addSubsystemRef(boost::make_shared<SubsystemRef>(name, rigid, identity, zero, 1.0));
    rigid->setParent(sg.subsystem);
    for (auto it = bodyIdx.rbegin(); it != bodyIdx.rend(); ++it) {
      const BodyRefPtr ref = s.getBodyRefAt(*it);
      rigid->addBodyRef(ref);
      ref->getBody()->setParent(rigid);
      bodyMoved[*it] = 1;
    }
    for (auto it = jointIdx.rbegin(); it != jointIdx.rend(); ++it) {
      const JointPtr joint = s.getJointAt(*it);
      rigid->addJoint(joint);
      joint->setParent(rigid);
      jointMoved[*it] = 1;
    }
    bodyRefCount -= bodyIdx.size();
    jointCount -= jointIdx.size();
    ++subsystemRefCount;
  }

  if (bodyRefCount != bodyRefTotal) {
    std::vector<BodyRefPtr> kept;
    kept.reserve(bodyRefCount);
    for (size_t i = 0; i < bodyRefTotal; ++i)
      if (!bodyMoved[i]) kept.push_back(s.getBodyRefAt(i));
    while (s.getBodyRefCount() > 0) s.removeBodyRef(s.getBodyRefCount() - 1);
    for (const BodyRefPtr& ref : kept) s.addBodyRef(ref);
  }
  if (jointCount != jointTotal) {
    std::vector<JointPtr> kept;
    kept.reserve(jointCount);
    for (size_t i = 0; i < jointTotal; ++i)
      if (!jointMoved[i]) kept.push_back(s.getJointAt(i));
    while (s.getJointCount() > 0) s.removeJoint(s.getJointCount() - 1);
    for (const JointPtr& joint : kept) s.addJoint(joint);
  }
}

MechanismSimplifier::MechanismSimplifier(const boost::shared_ptr<Subsystem>& top, Option option)
    : impl(new Impl) {
  if (!top) return;
  if (option == FlattenAndGroup || option == Flatten) impl->flatten(top);
  if (option == FlattenAndGroup || option == Group) impl->group(top);
  impl->build();
  // Keep no model object alive beyond the run.
  impl->groupsBySubsystem.clear();
  impl->subsystemSlot.clear();
  impl->bodyGroups.clear();
}

MechanismSimplifier::~MechanismSimplifier() = default;

}  // namespace kalo_toolkit
