// Every combination of constraint type and geometry types, driven through the
// whole inference with one constraint whose entities share the origin and the
// z axis, and checked by the joint it yields.

#include <map>
#include <string>

#include <gtest/gtest.h>

#include "inference_fixture.hpp"

namespace kalo_toolkit {
namespace {

using namespace testing;  // NOLINT: the fixture helpers

// One row per constraint type 0-7; in a row, one group per geometry 1 (0-5),
// one letter per geometry 2 (0-5):
//   S spherical, C cylindrical along z, A cylindrical across both chosen axes,
//   P planar (slide in xy, turn about z), R revolute about z, F free revolute
//   (slide anywhere, turn about z), T free turn about the perpendicular axis,
//   M massless connector, W weld; rejected: 2 two revolutes, p a prismatic and
//   a spherical, q prismatics and a spherical; . unsupported ("Unknown").
const char* const kTable[8] = {
    "S..... .C2... .2P..P ...CCC ...CCR ..PCRR",  // type 0
    "...... ...CCC ..A... pC.CCC pC.CCC .C.CCC",  // type 1
    "...... .2T... .F2... ...... ...... ......",  // type 2
    "...... .F2... .2F... ...F.. ....F. ......",  // type 3
    "...... ...... ...... ...... ...... ......",  // type 4
    "M.q... ..2... q2P... ...... ...... ......",  // type 5
    "...... .2.... ..F... ...... ...... ......",  // type 6
    "WWWWWW WWWWWW WWWWWW WWWWWW WWWWWW WWWWWW",  // type 7
};

const Vec3 kX = {1, 0, 0}, kY = {0, 1, 0}, kZ = {0, 0, 1};
// The perpendicular of z (z turned about y) and z times it.
const Vec3 kPerpZ = {-1, 0, 0}, kAcrossZ = {0, -1, 0};

struct Solved {
  KalotJointType type;
  std::vector<Prim> primitives;
};

std::vector<Prim> slideAnywhereTurnAbout(const Vec3& axis) {
  return {{KALOT_PRIM_PRISMATIC, kX},
          {KALOT_PRIM_PRISMATIC, kY},
          {KALOT_PRIM_PRISMATIC, kZ},
          {KALOT_PRIM_REVOLUTE, axis}};
}

const std::map<char, Solved> kSolved = {
    {'S', {KALOT_JOINT_SIMPLE, {{KALOT_PRIM_SPHERICAL, {}}}}},
    {'C', {KALOT_JOINT_SIMPLE, {{KALOT_PRIM_PRISMATIC, kZ}, {KALOT_PRIM_REVOLUTE, kZ}}}},
    {'A', {KALOT_JOINT_SIMPLE, {{KALOT_PRIM_PRISMATIC, kAcrossZ}, {KALOT_PRIM_REVOLUTE, kAcrossZ}}}},
    {'P',
     {KALOT_JOINT_SIMPLE,
      {{KALOT_PRIM_PRISMATIC, kPerpZ}, {KALOT_PRIM_PRISMATIC, kAcrossZ}, {KALOT_PRIM_REVOLUTE, kZ}}}},
    {'R', {KALOT_JOINT_SIMPLE, {{KALOT_PRIM_REVOLUTE, kZ}}}},
    {'F', {KALOT_JOINT_SIMPLE, slideAnywhereTurnAbout(kZ)}},
    {'T', {KALOT_JOINT_SIMPLE, slideAnywhereTurnAbout(kAcrossZ)}},
    {'M', {KALOT_JOINT_MASSLESS_CONNECTOR, {{KALOT_PRIM_SPHERICAL, {}}, {KALOT_PRIM_SPHERICAL, {}}}}},
    {'W', {KALOT_JOINT_WELD, {{KALOT_PRIM_WELD, {}}}}},
};

const std::map<char, std::string> kRejected = {
    {'2', "Two sequential revolute joints are not supported."},
    {'p', "Serial combination(s) of a prismatic and a spherical joint are not supported."},
    {'q', "Serial combination(s) of prismatic and spherical joints are not supported."},
};

void checkOutcome(int t, int g1, int g2, char outcome) {
  SCOPED_TRACE("type " + std::to_string(t) + " geometries (" + std::to_string(g1) + "," + std::to_string(g2) +
               ") expecting " + outcome);
  auto top = makeModel("Top");
  auto base = place(top, "base", "#b", makeModel("BModel"));
  auto follower = place(top, "follower", "#f", makeModel("FModel"));
  constrain(top, "C", t, {base}, Entity{g1, {0, 0, 0}, kZ}, {follower}, Entity{g2, {0, 0, 0}, kZ});
  Converted converted(top);
  const detail::InferenceResult r = converted.inferOnly();
  ASSERT_TRUE(r.joint);
  if (outcome == '.') {
    EXPECT_EQ(r.status, KALOT_UNHANDLED_CONSTRAINT);
    EXPECT_EQ(r.joint->getType(), KALOT_JOINT_WELD);
    EXPECT_EQ(r.joint->getStatus(),
              "Could not solve for constraint between BModel and FModel because of CAD constraint C");
    EXPECT_NE(detail::pairReport(*converted.lastPair).find("\nError Details: Unknown\n"), std::string::npos);
  } else if (kRejected.count(outcome)) {
    EXPECT_EQ(r.status, KALOT_UNHANDLED_CONSTRAINT);
    EXPECT_EQ(r.joint->getType(), KALOT_JOINT_WELD);
    EXPECT_EQ(r.joint->getStatus(),
              "The VelmoraMultibody CAD translator cannot solve for the CAD constraint between BModel and "
              "FModel.\n " +
                  kRejected.at(outcome));
  } else {
    const Solved& want = kSolved.at(outcome);
    EXPECT_EQ(r.status, KALOT_SUCCESS);
    EXPECT_TRUE(r.joint->getStatus().empty());
    EXPECT_EQ(r.joint->getType(), want.type);
    expectPrimitives(*r.joint, want.primitives);
  }
}

TEST(ClassificationTable, EveryCombinationYieldsItsJoint) {
  for (int t = 0; t < 8; ++t)
    for (int g1 = 0; g1 < 6; ++g1)
      for (int g2 = 0; g2 < 6; ++g2) checkOutcome(t, g1, g2, kTable[t][7 * g1 + g2]);
}

}  // namespace
}  // namespace kalo_toolkit
