#include <kalo_toolkit/mechanism_simplifier.hpp>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <boost/make_shared.hpp>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/frame_ref.hpp>
#include <kalo_toolkit/ground.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/primitive.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/subsystem_ref.hpp>
#include <kalo_toolkit/zolt_model.hpp>

using namespace kalo_toolkit;

namespace {

using BodyPtr = boost::shared_ptr<Body>;
using JointPtr = boost::shared_ptr<Joint>;
using SubsystemPtr = boost::shared_ptr<Subsystem>;
using Names = std::vector<std::string>;

// Builds models the way the reader leaves them: every body has one frame whose
// parent is the body, every body, joint and ground has its subsystem as parent.
struct Builder {
  SubsystemPtr top = boost::make_shared<Subsystem>("T");
  int nextId = 0;

  SubsystemPtr child(const SubsystemPtr& parent, const std::string& name) {
    auto s = boost::make_shared<Subsystem>(name);
    s->setParent(parent);
    parent->addSubsystemRef(boost::make_shared<SubsystemRef>(name, s));
    return s;
  }
  BodyPtr body(const SubsystemPtr& s, const std::string& name) {
    const double inertia[9] = {0};
    auto b = boost::make_shared<Body>(name, 1.0, KALOT_MASS_KG, inertia, KALOT_INERTIA_KG_M2, 0.0,
                                      KALOT_VOL_M3, 0.0, KALOT_SAREA_M2, "", nullptr);
    auto f = boost::make_shared<Frame>("F" + name, nextId++, KALOT_LENGTH_M);
    f->setParent(b);
    b->addLink(f);
    b->setParent(s);
    s->addBodyRef(boost::make_shared<BodyRef>(name + "Ref", b));
    return b;
  }
  JointPtr joint(const SubsystemPtr& s, const std::string& name, const BodyPtr& base, const BodyPtr& follower,
                 const std::vector<KalotPrimType>& prims) {
    auto j = boost::make_shared<Joint>(name, boost::make_shared<FrameRef>(base->getLinkAt(0)),
                                       boost::make_shared<FrameRef>(follower->getLinkAt(0)), "");
    for (KalotPrimType p : prims) j->addPrimitive(p, Joint::zoltNullAxis, "WORLD");
    j->setParent(s);
    s->addJoint(j);
    return j;
  }
  JointPtr weld(const SubsystemPtr& s, const std::string& name, const BodyPtr& base,
                const BodyPtr& follower) {
    return joint(s, name, base, follower, {KALOT_PRIM_WELD});
  }
  boost::shared_ptr<Ground> ground(const SubsystemPtr& s, const std::string& name) {
    auto g =
        boost::make_shared<Ground>(name, boost::make_shared<Frame>("G" + name, nextId++, KALOT_LENGTH_M));
    g->getFrame()->setParent(g);
    g->setParent(s);
    s->addGround(g);
    return g;
  }
};

template <typename Name>
Names names(size_t count, Name name) {
  Names n;
  for (size_t i = 0; i < count; ++i) n.push_back(name(i));
  return n;
}
Names bodyNames(const Subsystem& s) {
  return names(s.getBodyRefCount(), [&](size_t i) { return s.getBodyRefAt(i)->getBody()->getName(); });
}
Names refNames(const Subsystem& s) {
  return names(s.getBodyRefCount(), [&](size_t i) { return s.getBodyRefAt(i)->getName(); });
}
Names jointNames(Subsystem& s) {
  return names(s.getJointCount(), [&](size_t i) { return s.getJointAt(i)->getName(); });
}
Names groundNames(const Subsystem& s) {
  return names(s.getGroundCount(), [&](size_t i) { return s.getGroundAt(i)->getName(); });
}
Names childNames(const Subsystem& s) {
  return names(s.getSubsystemRefCount(), [&](size_t i) { return s.getSubsystemRefAt(i)->getName(); });
}
SubsystemPtr childAt(const Subsystem& s, size_t i) {
  auto ref = s.getSubsystemRefAt(i);
  return ref ? ref->getSubsystem() : SubsystemPtr();
}

// Everything the simplifier can change, with a mark wherever a parent link
// does not point at the subsystem that lists the item.
void dump(const SubsystemPtr& s, const std::string& indent, std::string& out) {
  auto mark = [&](const ZoltBase& item) { return item.getParent() == s ? "" : " (foreign parent)"; };
  out += indent + "subsystem " + s->getName() + (s->getRigidFlag() ? " rigid" : "") + "\n";
  for (size_t i = 0; i < s->getBodyRefCount(); ++i) {
    auto ref = s->getBodyRefAt(i);
    out +=
        indent + " body " + ref->getName() + "/" + ref->getBody()->getName() + mark(*ref->getBody()) + "\n";
  }
  for (size_t i = 0; i < s->getJointCount(); ++i) {
    auto j = s->getJointAt(i);
    out += indent + " joint " + j->getName() + mark(*j) + "\n";
  }
  for (size_t i = 0; i < s->getGroundCount(); ++i) {
    auto g = s->getGroundAt(i);
    out += indent + " ground " + g->getName() + mark(*g) + "\n";
  }
  for (size_t i = 0; i < s->getSubsystemRefCount(); ++i) {
    auto c = childAt(*s, i);
    if (c->getParent() != s) out += indent + " (foreign parent)\n";
    dump(c, indent + "  ", out);
  }
}
std::string dump(const SubsystemPtr& s) {
  std::string out;
  dump(s, "", out);
  return out;
}

}  // namespace

// --- Flattening -------------------------------------------------------------

TEST(MechanismSimplifierFlatten, MovesChildrenInReverseOrderWithPathNames) {
  Builder m;
  m.body(m.top, "T0");
  auto s = m.child(m.top, "S");
  auto u = m.child(m.top, "U");
  m.body(s, "B1");
  m.body(s, "B2");
  auto g = m.child(s, "G");
  m.body(g, "C1");
  m.body(g, "C2");
  auto h = m.child(g, "H");
  m.body(h, "E1");
  m.body(h, "E2");
  m.body(u, "D1");
  auto jb = m.body(m.top, "T1");
  m.joint(s, "JS", jb, jb, {KALOT_PRIM_REVOLUTE});
  m.joint(g, "JG", jb, jb, {KALOT_PRIM_REVOLUTE});
  m.ground(u, "GU");
  m.ground(h, "GH");

  MechanismSimplifier(m.top, MechanismSimplifier::Flatten);

  // Each child is emptied into its parent from the end of its lists, the
  // last subsystem reference first.
  EXPECT_EQ(bodyNames(*m.top), (Names{"T0", "T1", "U\\D1", "S\\G\\C1", "S\\G\\C2", "S\\G\\H\\E2",
                                      "S\\G\\H\\E1", "S\\B2", "S\\B1"}));
  EXPECT_EQ(refNames(*m.top), (Names{"T0Ref", "T1Ref", "U\\D1Ref", "S\\G\\C1Ref", "S\\G\\C2Ref",
                                     "S\\G\\H\\E2Ref", "S\\G\\H\\E1Ref", "S\\B2Ref", "S\\B1Ref"}));
  EXPECT_EQ(jointNames(*m.top), (Names{"S\\G\\JG", "S\\JS"}));
  EXPECT_EQ(groundNames(*m.top), (Names{"U\\GU", "S\\G\\H\\GH"}));
  EXPECT_EQ(m.top->getSubsystemRefCount(), 0u);
  // Every moved item now belongs to the top; the flattened subsystems are empty.
  const std::string d = dump(m.top);
  EXPECT_EQ(d.find("foreign"), std::string::npos) << d;
  EXPECT_EQ(s->getBodyRefCount() + s->getSubsystemRefCount() + g->getBodyRefCount() + h->getGroundCount(),
            0u);
}

TEST(MechanismSimplifierFlatten, UnnamedSubsystemAddsNoPathLevel) {
  Builder m;
  auto s = m.child(m.top, "S");
  auto anon = m.child(s, "");
  m.body(anon, "B");
  auto direct = m.child(m.top, "");
  m.body(direct, "C");
  m.ground(direct, "G");

  MechanismSimplifier(m.top, MechanismSimplifier::Flatten);

  EXPECT_EQ(bodyNames(*m.top), (Names{"C", "S\\B"}));
  EXPECT_EQ(refNames(*m.top), (Names{"CRef", "S\\BRef"}));
  EXPECT_EQ(groundNames(*m.top), (Names{"G"}));
}

TEST(MechanismSimplifierFlatten, SharedAndCyclicSubsystemsAreVisitedOnce) {
  Builder m;
  auto s = m.child(m.top, "S");
  m.body(s, "B");
  // S listed a second time, and S pointing back at the top.
  m.top->addSubsystemRef(boost::make_shared<SubsystemRef>("S", s));
  s->addSubsystemRef(boost::make_shared<SubsystemRef>("T", m.top));

  MechanismSimplifier(m.top, MechanismSimplifier::FlattenAndGroup);

  EXPECT_EQ(bodyNames(*m.top), (Names{"S\\B"}));
  EXPECT_EQ(m.top->getSubsystemRefCount(), 0u);
}

// --- Grouping and rigid subsystems ------------------------------------------

TEST(MechanismSimplifierGroup, SeparateWeldsGiveNumberedRigidSubsystemsAndAChainMerges) {
  for (bool link : {false, true}) {
    SCOPED_TRACE(link ? "with Q-U" : "without Q-U");
    Builder m;
    auto s = m.top;
    auto p = m.body(s, "P"), q = m.body(s, "Q"), x = m.body(s, "X"), u = m.body(s, "U"), v = m.body(s, "V");
    m.weld(s, "JPQ", p, q);
    m.weld(s, "JUV", u, v);
    if (link) m.weld(s, "JQU", q, u);
    m.joint(s, "JX", x, p, {KALOT_PRIM_PRISMATIC});

    MechanismSimplifier(s, MechanismSimplifier::Group);

    EXPECT_EQ(bodyNames(*s), (Names{"X"}));
    EXPECT_EQ(jointNames(*s), (Names{"JX"}));
    const std::string d = dump(s);
    EXPECT_EQ(d.find("foreign"), std::string::npos) << d;
    if (!link) {
      ASSERT_EQ(childNames(*s), (Names{"RigidSubsystem1", "RigidSubsystem2"}));
      EXPECT_EQ(bodyNames(*childAt(*s, 0)), (Names{"Q", "P"}));
      EXPECT_EQ(bodyNames(*childAt(*s, 1)), (Names{"V", "U"}));
      EXPECT_EQ(jointNames(*childAt(*s, 1)), (Names{"JUV"}));
    } else {
      ASSERT_EQ(childNames(*s), (Names{"RigidSubsystem1"}));
      EXPECT_EQ(bodyNames(*childAt(*s, 0)), (Names{"V", "U", "Q", "P"}));
      EXPECT_EQ(jointNames(*childAt(*s, 0)), (Names{"JQU", "JUV", "JPQ"}));
    }
    auto rigid = childAt(*s, 0);
    EXPECT_TRUE(rigid->getRigidFlag());
    EXPECT_EQ(rigid->getName(), "RigidSubsystem1");
    EXPECT_EQ(rigid->getNodeID(), "");
    EXPECT_EQ(s->getSubsystemRefAt(0)->getTranslation()[0], 0.0);
    EXPECT_EQ(s->getSubsystemRefAt(0)->getScale(), 1.0);
  }
}

TEST(MechanismSimplifierGroup, LongChainWeldedPairsFirstEndsInOneGroup) {
  Builder m;
  std::vector<BodyPtr> b;
  for (int i = 0; i < 40; ++i) b.push_back(m.body(m.top, "B" + std::to_string(i)));
  m.body(m.top, "Loose");
  // Twenty pairs first, then the links between them, alternately as base and
  // follower, so most welds merge two existing groups.
  for (int i = 0; i + 1 < 40; i += 2) m.weld(m.top, "P" + std::to_string(i), b[i], b[i + 1]);
  for (int i = 1; i + 1 < 40; i += 2)
    if (i % 4 == 1)
      m.weld(m.top, "L" + std::to_string(i), b[i], b[i + 1]);
    else
      m.weld(m.top, "L" + std::to_string(i), b[i + 1], b[i]);

  MechanismSimplifier(m.top, MechanismSimplifier::Group);

  EXPECT_EQ(bodyNames(*m.top), (Names{"Loose"}));
  EXPECT_EQ(m.top->getJointCount(), 0u);
  ASSERT_EQ(childNames(*m.top), (Names{"RigidSubsystem1"}));
  auto rigid = childAt(*m.top, 0);
  ASSERT_EQ(rigid->getBodyRefCount(), 40u);
  EXPECT_EQ(rigid->getJointCount(), 39u);
  EXPECT_EQ(rigid->getBodyRefAt(0)->getBody()->getName(), "B39");
  EXPECT_EQ(rigid->getBodyRefAt(39)->getBody()->getName(), "B0");
}

// The merged group keeps the base's id, in every subsystem that recorded it:
// the id decides the numbering of the rigid subsystems.
TEST(MechanismSimplifierGroup, MergeKeepsBaseGroupIdAcrossSubsystems) {
  Builder m;
  auto s1 = m.child(m.top, "S1");
  auto s2 = m.child(m.top, "S2");
  auto a = m.body(s1, "A"), a2 = m.body(s1, "A2"), c = m.body(s1, "C"), c2 = m.body(s1, "C2");
  m.body(s1, "Other");
  m.weld(s1, "JA", a, a2);  // group 0
  m.weld(s1, "JC", c, c2);  // group 1
  auto b = m.body(s2, "B"), b2 = m.body(s2, "B2");
  m.weld(s2, "JB", b, b2);   // group 2
  m.weld(m.top, "X", b, a);  // follower A's group 0 merged into base B's group 2

  MechanismSimplifier(m.top, MechanismSimplifier::Group);

  ASSERT_EQ(childNames(*s1), (Names{"RigidSubsystem1", "RigidSubsystem2"}));
  EXPECT_EQ(bodyNames(*childAt(*s1, 0)), (Names{"C2", "C"}));
  EXPECT_EQ(bodyNames(*childAt(*s1, 1)), (Names{"A2", "A"}));
  EXPECT_EQ(bodyNames(*s1), (Names{"Other"}));
  // S2 holds its group and nothing else: left alone. The cross weld stays in the top.
  EXPECT_EQ(bodyNames(*s2), (Names{"B", "B2"}));
  EXPECT_EQ(s2->getSubsystemRefCount(), 0u);
  EXPECT_EQ(jointNames(*m.top), (Names{"X"}));
}

TEST(MechanismSimplifierGroup, WeldAcrossSubsystemsStaysPut) {
  Builder m;
  auto s1 = m.child(m.top, "S1");
  auto s2 = m.child(m.top, "S2");
  auto a = m.body(s1, "A"), a2 = m.body(s1, "A2");
  m.body(s1, "O");
  auto b = m.body(s2, "B");
  m.body(s2, "B2");
  m.weld(s1, "JA", a, a2);
  m.weld(s1, "JX", a, b);  // listed in S1, but B lives in S2

  MechanismSimplifier(m.top, MechanismSimplifier::Group);

  ASSERT_EQ(childNames(*s1), (Names{"RigidSubsystem1"}));
  EXPECT_EQ(bodyNames(*childAt(*s1, 0)), (Names{"A2", "A"}));
  EXPECT_EQ(jointNames(*childAt(*s1, 0)), (Names{"JA"}));
  EXPECT_EQ(jointNames(*s1), (Names{"JX"}));
  EXPECT_EQ(bodyNames(*s1), (Names{"O"}));
  // B is in the group but alone in S2: nothing to gather there.
  EXPECT_EQ(bodyNames(*s2), (Names{"B", "B2"}));
  EXPECT_EQ(s2->getSubsystemRefCount(), 0u);
}

// A subsystem holding one group and nothing else is left alone; next to a child
// subsystem, or once a first group has been gathered, a group is gathered.
TEST(MechanismSimplifierGroup, SubsystemThatIsOneGroupIsLeftAlone) {
  const struct {
    bool emptyChild, secondGroup;
    Names children;
  } cases[] = {{false, false, {}},
               {true, false, {"Empty", "RigidSubsystem1"}},
               {false, true, {"RigidSubsystem1", "RigidSubsystem2"}}};
  for (const auto& c : cases) {
    Builder m;
    auto p = m.body(m.top, "P"), q = m.body(m.top, "Q");
    m.weld(m.top, "J", p, q);
    if (c.secondGroup) {
      auto u = m.body(m.top, "U");
      m.weld(m.top, "JUV", u, m.body(m.top, "V"));
    }
    if (c.emptyChild) m.child(m.top, "Empty");
    MechanismSimplifier(m.top, MechanismSimplifier::Group);
    EXPECT_EQ(childNames(*m.top), c.children);
    if (c.children.empty()) {
      EXPECT_EQ(bodyNames(*m.top), (Names{"P", "Q"}));
      EXPECT_EQ(jointNames(*m.top), (Names{"J"}));
    } else {
      EXPECT_EQ(m.top->getBodyRefCount() + m.top->getJointCount(), 0u);
    }
  }
}

// Only joints with a single weld primitive are rigid; None and Flatten form no groups.
TEST(MechanismSimplifierGroup, NoGroupWithoutASingleWeldOrWithoutTheGroupOption) {
  Builder m;
  auto p = m.body(m.top, "P"), q = m.body(m.top, "Q"), r = m.body(m.top, "R"), t = m.body(m.top, "S");
  m.joint(m.top, "WeldRev", p, q, {KALOT_PRIM_WELD, KALOT_PRIM_REVOLUTE});
  m.joint(m.top, "Rev", q, r, {KALOT_PRIM_REVOLUTE});
  m.joint(m.top, "None", r, t, {});
  m.body(m.top, "Other");
  std::string before = dump(m.top);
  MechanismSimplifier(m.top, MechanismSimplifier::Group);
  EXPECT_EQ(dump(m.top), before);

  m.weld(m.top, "J", p, q);
  before = dump(m.top);
  MechanismSimplifier(m.top, MechanismSimplifier::None);
  MechanismSimplifier(m.top, MechanismSimplifier::Flatten);
  EXPECT_EQ(dump(m.top), before);
  MechanismSimplifier(SubsystemPtr(), MechanismSimplifier::FlattenAndGroup);  // no model: nothing to do
}

TEST(MechanismSimplifierGroup, WeldsWithoutBodiesOrSubsystemsAreSkipped) {
  Builder m;
  auto p = m.body(m.top, "P"), q = m.body(m.top, "Q");
  m.body(m.top, "Other");
  auto g = m.ground(m.top, "G");
  // Ground frame on one side; a side without a frame; a side with no FrameRef.
  auto toGround = m.weld(m.top, "ToGround", p, q);
  toGround->getBaseFrame()->setFrame(g->getFrame());
  auto noFrame = m.weld(m.top, "NoFrame", p, q);
  noFrame->getFollowerFrame()->setFrame(boost::shared_ptr<Frame>());
  auto noRef = boost::make_shared<Joint>("NoRef", boost::shared_ptr<FrameRef>(),
                                         boost::make_shared<FrameRef>(q->getLinkAt(0)), "");
  noRef->addPrimitive(KALOT_PRIM_WELD, Joint::zoltNullAxis, "WORLD");
  noRef->setParent(m.top);
  m.top->addJoint(noRef);
  // A body without a parent, and a joint without one.
  auto orphan = m.body(m.top, "Orphan");
  orphan->setParent(boost::shared_ptr<ZoltBase>());
  m.weld(m.top, "ToOrphan", p, orphan);
  m.weld(m.top, "NoParent", p, q)->setParent(boost::shared_ptr<ZoltBase>());

  const std::string before = dump(m.top);
  MechanismSimplifier(m.top, MechanismSimplifier::Group);
  EXPECT_EQ(dump(m.top), before);

  // Once a valid weld joins them, P and Q are gathered as usual.
  m.weld(m.top, "Good", p, q);
  MechanismSimplifier(m.top, MechanismSimplifier::Group);
  ASSERT_EQ(childNames(*m.top), (Names{"RigidSubsystem1"}));
  EXPECT_EQ(bodyNames(*childAt(*m.top, 0)), (Names{"Q", "P"}));
  EXPECT_EQ(jointNames(*childAt(*m.top, 0)), (Names{"Good"}));
}

TEST(MechanismSimplifierGroup, BodyWeldedToItselfCountsTwiceButMovesOnce) {
  {
    // Body, body and joint: as many entries as the subsystem holds, so it is left alone.
    Builder m;
    auto p = m.body(m.top, "P");
    m.body(m.top, "Q");
    m.weld(m.top, "Self", p, p);
    MechanismSimplifier(m.top, MechanismSimplifier::Group);
    EXPECT_EQ(bodyNames(*m.top), (Names{"P", "Q"}));
    EXPECT_EQ(m.top->getSubsystemRefCount(), 0u);
  }
  {
    // With a third body the group is built; its body moves once and no other
    // body is taken along in its place.
    Builder m;
    auto b0 = m.body(m.top, "B0");
    m.body(m.top, "B1");
    m.body(m.top, "B2");
    m.weld(m.top, "Self", b0, b0);
    MechanismSimplifier(m.top, MechanismSimplifier::Group);
    EXPECT_EQ(bodyNames(*m.top), (Names{"B1", "B2"}));
    ASSERT_EQ(m.top->getSubsystemRefCount(), 1u);
    EXPECT_EQ(bodyNames(*childAt(*m.top, 0)), (Names{"B0"}));
    EXPECT_EQ(jointNames(*childAt(*m.top, 0)), (Names{"Self"}));
  }
}

TEST(MechanismSimplifierGroup, FlattenThenGroupGathersAcrossFormerSubsystems) {
  Builder m;
  auto s = m.child(m.top, "S");
  auto a = m.body(m.top, "A");
  auto b = m.body(s, "B"), c = m.body(s, "C");
  m.weld(m.top, "AB", a, b);
  m.joint(s, "BC", b, c, {KALOT_PRIM_SPHERICAL});

  MechanismSimplifier(m.top, MechanismSimplifier::FlattenAndGroup);

  EXPECT_EQ(bodyNames(*m.top), (Names{"S\\C"}));
  EXPECT_EQ(jointNames(*m.top), (Names{"S\\BC"}));
  ASSERT_EQ(childNames(*m.top), (Names{"RigidSubsystem1"}));
  EXPECT_EQ(bodyNames(*childAt(*m.top, 0)), (Names{"S\\B", "A"}));
  const std::string d = dump(m.top);
  EXPECT_EQ(d.find("foreign"), std::string::npos) << d;
}

// --- Determinism ------------------------------------------------------------

// One model, built with its subsystems and bodies allocated in two opposite
// orders so that address order and list order disagree in one of them.
SubsystemPtr buildForDeterminism(bool reverseAllocation) {
  Builder m;
  const int kSubsystems = 12;
  std::vector<SubsystemPtr> subs(kSubsystems);
  std::vector<std::vector<BodyPtr>> bodies(kSubsystems);
  std::vector<int> order;
  for (int i = 0; i < kSubsystems; ++i) order.push_back(reverseAllocation ? kSubsystems - 1 - i : i);
  std::vector<std::unique_ptr<char[]>> padding;  // shifts the heap between the two builds
  for (int i : order) {
    padding.emplace_back(new char[64 * (i + 1)]);
    subs[i] = boost::make_shared<Subsystem>("S" + std::to_string(i));
    for (int k = 0; k < 4; ++k) bodies[i].push_back(nullptr);
    for (int k : {3, 2, 1, 0}) {
      if (!reverseAllocation) k = 3 - k;
      bodies[i][k] = m.body(subs[i], "B" + std::to_string(k));
    }
  }
  // Body order inside each subsystem depended on allocation above; fix it.
  for (int i = 0; i < kSubsystems; ++i) {
    while (subs[i]->getBodyRefCount() > 0) subs[i]->removeBodyRef(0);
    for (const BodyPtr& b : bodies[i])
      subs[i]->addBodyRef(boost::make_shared<BodyRef>(b->getName() + "Ref", b));
  }
  // Subsystem i sits under i / 3 - 1 (or the top), giving a three-level tree.
  for (int i = 0; i < kSubsystems; ++i) {
    SubsystemPtr parent = i < 3 ? m.top : subs[i / 3 - 1];
    subs[i]->setParent(parent);
    parent->addSubsystemRef(boost::make_shared<SubsystemRef>(subs[i]->getName(), subs[i]));
  }
  for (int i = 0; i < kSubsystems; ++i) {
    m.weld(subs[i], "W01", bodies[i][0], bodies[i][1]);
    m.weld(subs[i], "W23", bodies[i][2], bodies[i][3]);
    if (i % 2) m.weld(subs[i], "W12", bodies[i][2], bodies[i][1]);
    m.weld(m.top, "X" + std::to_string(i), bodies[i][3], bodies[(i + 5) % kSubsystems][0]);
  }
  return m.top;
}

TEST(MechanismSimplifierDeterminism, ResultDoesNotDependOnAllocationOrder) {
  for (auto option : {MechanismSimplifier::FlattenAndGroup, MechanismSimplifier::Group}) {
    SCOPED_TRACE(option);
    auto first = buildForDeterminism(false);
    auto second = buildForDeterminism(true);
    ASSERT_EQ(dump(first), dump(second));
    MechanismSimplifier(first, option);
    MechanismSimplifier(second, option);
    const std::string d = dump(first);
    EXPECT_EQ(d, dump(second));
    EXPECT_NE(d.find("RigidSubsystem1 rigid"), std::string::npos) << d;
    EXPECT_EQ(d.find("foreign"), std::string::npos) << d;
  }
}

TEST(MechanismSimplifierDeterminism, SameFileReadTwiceGivesSameModel) {
  auto top = buildForDeterminism(false);
  ZoltModel model("test", "memory", "today", "me", "M", top);
  const std::string path = ::testing::TempDir() + "simplifier_determinism.xml";
  ASSERT_EQ(model.writeToXML(path), 0);
  for (auto option : {MechanismSimplifier::FlattenAndGroup, MechanismSimplifier::Group}) {
    SCOPED_TRACE(option);
    KalotError e1 = KALOT_GENERIC_FAILURE, e2 = KALOT_GENERIC_FAILURE;
    auto m1 = ZoltModel::readFromXML(&e1, path, option);
    std::vector<std::unique_ptr<char[]>> padding;
    for (int i = 0; i < 100; ++i) padding.emplace_back(new char[48 * (i % 7 + 1)]);
    auto m2 = ZoltModel::readFromXML(&e2, path, option);
    ASSERT_EQ(e1, KALOT_SUCCESS);
    ASSERT_EQ(e2, KALOT_SUCCESS);
    ASSERT_TRUE(m1 && m2);
    const std::string d = dump(m1->getTopSubsystem());
    EXPECT_EQ(d, dump(m2->getTopSubsystem()));
    EXPECT_NE(d.find("RigidSubsystem1 rigid"), std::string::npos) << d;
    // The reader applies the option it is given: only flattening removes S0.
    EXPECT_EQ(d.find("subsystem S0") == std::string::npos, option == MechanismSimplifier::FlattenAndGroup)
        << d;
  }
  std::remove(path.c_str());
}
