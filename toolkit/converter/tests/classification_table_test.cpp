// Every classified combination of constraint type and geometry types, driven
// through the whole inference with one constraint whose entities share the
// origin and the z axis, and checked by the joint it yields.

#include <set>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "inference_fixture.hpp"

namespace kalo_toolkit {
namespace {

using namespace testing;  // NOLINT: the fixture helpers

enum class Outcome {
  kSpherical,          // all rotations free, no translation
  kCylindrical,        // slide along and turn about z
  kCylindricalAcross,  // slide along and turn about the axis perpendicular to both chosen axes
  kPlanar,             // slide in the xy plane, turn about z
  kRevolute,           // turn about z only
  kFreeRevolute,       // slide anywhere, turn about z
  kFreeTurnAcross,     // slide anywhere, turn about the perpendicular axis
  kTwoRevolutes,       // rejected: two free rotations
  kPrismaticSpherical,
  kPrismaticsSpherical,
  kConnector,
  kUnknown,  // welded with the details "Unknown"
  kWeld,     // a solved weld
};

struct Row {
  int type, geom1, geom2;
  Outcome outcome;
};

using O = Outcome;
const Row kRows[] = {
    {0, 0, 0, O::kSpherical},
    {0, 0, 1, O::kUnknown},
    {0, 0, 2, O::kUnknown},
    {0, 0, 3, O::kUnknown},
    {0, 1, 0, O::kUnknown},
    {0, 1, 1, O::kCylindrical},
    {0, 1, 2, O::kTwoRevolutes},
    {0, 1, 3, O::kUnknown},
    {0, 2, 0, O::kUnknown},
    {0, 2, 1, O::kTwoRevolutes},
    {0, 2, 2, O::kPlanar},
    {0, 2, 5, O::kPlanar},
    {0, 3, 0, O::kUnknown},
    {0, 3, 1, O::kUnknown},
    {0, 3, 3, O::kCylindrical},
    {0, 3, 4, O::kCylindrical},
    {0, 3, 5, O::kCylindrical},
    {0, 4, 3, O::kCylindrical},
    {0, 4, 4, O::kCylindrical},
    {0, 4, 5, O::kRevolute},
    {0, 5, 2, O::kPlanar},
    {0, 5, 3, O::kCylindrical},
    {0, 5, 4, O::kRevolute},
    {0, 5, 5, O::kRevolute},

    {1, 0, 3, O::kUnknown},
    {1, 0, 4, O::kUnknown},
    {1, 1, 3, O::kCylindrical},
    {1, 1, 4, O::kCylindrical},
    {1, 1, 5, O::kCylindrical},
    {1, 2, 2, O::kCylindricalAcross},
    {1, 3, 0, O::kPrismaticSpherical},
    {1, 3, 1, O::kCylindrical},
    {1, 3, 3, O::kCylindrical},
    {1, 3, 4, O::kCylindrical},
    {1, 3, 5, O::kCylindrical},
    {1, 4, 0, O::kPrismaticSpherical},
    {1, 4, 1, O::kCylindrical},
    {1, 4, 3, O::kCylindrical},
    {1, 4, 4, O::kCylindrical},
    {1, 4, 5, O::kCylindrical},
    {1, 5, 1, O::kCylindrical},
    {1, 5, 3, O::kCylindrical},
    {1, 5, 4, O::kCylindrical},
    {1, 5, 5, O::kCylindrical},

    {2, 1, 1, O::kTwoRevolutes},
    {2, 1, 2, O::kFreeTurnAcross},
    {2, 2, 1, O::kFreeRevolute},
    {2, 2, 2, O::kTwoRevolutes},

    {3, 1, 1, O::kFreeRevolute},
    {3, 1, 2, O::kTwoRevolutes},
    {3, 2, 1, O::kTwoRevolutes},
    {3, 2, 2, O::kFreeRevolute},
    {3, 3, 3, O::kFreeRevolute},
    {3, 4, 4, O::kFreeRevolute},

    {4, 1, 3, O::kUnknown},
    {4, 2, 3, O::kUnknown},
    {4, 3, 1, O::kUnknown},
    {4, 3, 2, O::kUnknown},
    {4, 3, 3, O::kUnknown},

    {5, 0, 0, O::kConnector},
    {5, 0, 1, O::kUnknown},
    {5, 0, 2, O::kPrismaticsSpherical},
    {5, 1, 0, O::kUnknown},
    {5, 1, 1, O::kUnknown},
    {5, 1, 2, O::kTwoRevolutes},
    {5, 2, 0, O::kPrismaticsSpherical},
    {5, 2, 1, O::kTwoRevolutes},
    {5, 2, 2, O::kPlanar},

    {6, 1, 1, O::kTwoRevolutes},
    {6, 2, 2, O::kFreeRevolute},
};

const Vec3 kX = {1, 0, 0}, kY = {0, 1, 0}, kZ = {0, 0, 1};
// The perpendicular of z (z turned about y) and z times it.
const Vec3 kPerpZ = {-1, 0, 0}, kAcrossZ = {0, -1, 0};

std::string label(int t, int g1, int g2) {
  return "type " + std::to_string(t) + " geometries (" + std::to_string(g1) + "," + std::to_string(g2) + ")";
}

void expectRejectedWith(const detail::InferenceResult& r, const std::string& reason) {
  EXPECT_EQ(r.status, KALOT_UNHANDLED_CONSTRAINT);
  EXPECT_EQ(r.joint->getType(), KALOT_JOINT_WELD);
  EXPECT_EQ(r.joint->getStatus(),
            "The VelmoraMultibody CAD translator cannot solve for the CAD constraint between BModel and "
            "FModel.\n " +
                reason);
}

void checkOutcome(int t, int g1, int g2, Outcome outcome) {
  SCOPED_TRACE(label(t, g1, g2));
  auto top = makeModel("Top");
  auto base = place(top, "base", "#b", makeModel("BModel"));
  auto follower = place(top, "follower", "#f", makeModel("FModel"));
  constrain(top, "C", t, {base}, Entity{g1, {0, 0, 0}, kZ}, {follower}, Entity{g2, {0, 0, 0}, kZ});
  Converted converted(top);
  const detail::InferenceResult r = converted.inferOnly();
  ASSERT_TRUE(r.joint);
  const bool solved = outcome != O::kTwoRevolutes && outcome != O::kPrismaticSpherical &&
                      outcome != O::kPrismaticsSpherical && outcome != O::kUnknown;
  if (solved) {
    EXPECT_EQ(r.status, KALOT_SUCCESS);
    EXPECT_TRUE(r.joint->getStatus().empty());
  }
  const KalotJointType simple = KALOT_JOINT_SIMPLE;
  switch (outcome) {
    case O::kSpherical:
      expectPrimitives(*r.joint, {{KALOT_PRIM_SPHERICAL, {}}});
      break;
    case O::kCylindrical:
      expectPrimitives(*r.joint, {{KALOT_PRIM_PRISMATIC, kZ}, {KALOT_PRIM_REVOLUTE, kZ}});
      break;
    case O::kCylindricalAcross:
      expectPrimitives(*r.joint, {{KALOT_PRIM_PRISMATIC, kAcrossZ}, {KALOT_PRIM_REVOLUTE, kAcrossZ}});
      break;
    case O::kPlanar:
      expectPrimitives(
          *r.joint,
          {{KALOT_PRIM_PRISMATIC, kPerpZ}, {KALOT_PRIM_PRISMATIC, kAcrossZ}, {KALOT_PRIM_REVOLUTE, kZ}});
      break;
    case O::kRevolute:
      expectPrimitives(*r.joint, {{KALOT_PRIM_REVOLUTE, kZ}});
      break;
    case O::kFreeRevolute:
      expectPrimitives(*r.joint, {{KALOT_PRIM_PRISMATIC, kX},
                                  {KALOT_PRIM_PRISMATIC, kY},
                                  {KALOT_PRIM_PRISMATIC, kZ},
                                  {KALOT_PRIM_REVOLUTE, kZ}});
      break;
    case O::kFreeTurnAcross:
      expectPrimitives(*r.joint, {{KALOT_PRIM_PRISMATIC, kX},
                                  {KALOT_PRIM_PRISMATIC, kY},
                                  {KALOT_PRIM_PRISMATIC, kZ},
                                  {KALOT_PRIM_REVOLUTE, kAcrossZ}});
      break;
    case O::kTwoRevolutes:
      expectRejectedWith(r, "Two sequential revolute joints are not supported.");
      break;
    case O::kPrismaticSpherical:
      expectRejectedWith(r, "Serial combination(s) of a prismatic and a spherical joint are not supported.");
      break;
    case O::kPrismaticsSpherical:
      expectRejectedWith(r, "Serial combination(s) of prismatic and spherical joints are not supported.");
      break;
    case O::kConnector:
      EXPECT_EQ(r.joint->getType(), KALOT_JOINT_MASSLESS_CONNECTOR);
      expectPrimitives(*r.joint, {{KALOT_PRIM_SPHERICAL, {}}, {KALOT_PRIM_SPHERICAL, {}}});
      return;
    case O::kUnknown:
      EXPECT_EQ(r.status, KALOT_UNHANDLED_CONSTRAINT);
      EXPECT_EQ(r.joint->getType(), KALOT_JOINT_WELD);
      EXPECT_EQ(r.joint->getStatus(),
                "Could not solve for constraint between BModel and FModel because of CAD constraint C");
      EXPECT_NE(detail::pairReport(*converted.lastPair).find("\nError Details: Unknown\n"),
                std::string::npos);
      return;
    case O::kWeld:
      EXPECT_EQ(r.joint->getType(), KALOT_JOINT_WELD);
      expectPrimitives(*r.joint, {{KALOT_PRIM_WELD, {}}});
      return;
  }
  if (solved) {
    EXPECT_EQ(r.joint->getType(), simple);
  }
}

TEST(ClassificationTable, EveryListedCombinationYieldsItsJoint) {
  for (const Row& row : kRows) checkOutcome(row.type, row.geom1, row.geom2, row.outcome);
}

TEST(ClassificationTable, EveryOtherCombinationIsUnsupported) {
  std::set<std::tuple<int, int, int>> listed;
  for (const Row& row : kRows) listed.emplace(row.type, row.geom1, row.geom2);
  for (int t = 0; t <= 6; ++t)
    for (int g1 = 0; g1 <= 5; ++g1)
      for (int g2 = 0; g2 <= 5; ++g2)
        if (listed.count({t, g1, g2}) == 0) {
          checkOutcome(t, g1, g2, O::kUnknown);
        }
}

TEST(ClassificationTable, WeldTypeFixesEveryGeometryPair) {
  for (int g1 = 0; g1 <= 5; ++g1)
    for (int g2 = 0; g2 <= 5; ++g2) checkOutcome(7, g1, g2, O::kWeld);
}

}  // namespace
}  // namespace kalo_toolkit
