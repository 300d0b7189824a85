#include "c2c_test_support.hpp"

namespace c2c_test {
namespace {

const char* const kIdentityRotation =
    "+1.000000e+00 +0.000000e+00 +0.000000e+00\n"
    "+0.000000e+00 +1.000000e+00 +0.000000e+00\n"
    "+0.000000e+00 +0.000000e+00 +1.000000e+00\n";

std::string report(const Constraints2Connections& engine, const std::vector<std::string>& names) {
  testing::internal::CaptureStdout();
  engine.print(names);
  return testing::internal::GetCapturedStdout();
}

TEST(ConnectionReport, EmptyEnginePrintsOneEmptyLine) {
  EXPECT_EQ(report(Constraints2Connections(), {}), "\n");
}

TEST(ConnectionReport, FramesAndConstraintSections) {
  const Instance base{{"Base"}, {}};
  const Instance arm{{"Sub", "Arm"}, Transform3_T({1, 2, 3})};
  const Instance top{{}, {}};
  Constraints2Connections engine;
  C hinge(C::Coincident, "c1", geom(G::Circle, base, {1, 0, 0}), geom(G::Circle, arm, {0, -2, -3}));
  C floor(C::Coincident, "f1", geom(G::Plane, top, {0, 0, 0}, {0, 0, -1}), geom(G::Plane, base, {0, 0, 0}));
  C floorAgain(C::Coincident, "f2", geom(G::Plane, top, {4, 0, 0}, {0, 0, 1}),
               geom(G::Plane, base, {2, 2, 0}));
  engine.add(hinge);
  engine.add(floor);
  engine.add(floorAgain);
  engine.computeConnections();
  ASSERT_EQ(engine.connections.size(), 2u);
  // "2063089" + "2819590783" (Base with the top assembly) sorts before
  // "2063089" + "4089943501" (Base with Sub/Arm).
  EXPECT_EQ(report(engine, {"floor", "hinge"}), std::string("Connection 1\n"
                                                            "  Name: floor\n"
                                                            "  Type: Planar\n"
                                                            "  Constraints Used\n"
                                                            "  ----------------\n"
                                                            "  Name: f1\n"
                                                            "  Constraints Original\n"
                                                            "  --------------------\n"
                                                            "  Name: f1\n"
                                                            "  Name: f2\n"
                                                            "  Base Frame\n"
                                                            "  ----------\n"
                                                            "  \n"
                                                            "+1.000000e+00 +0.000000e+00 +0.000000e+00\n"
                                                            "+0.000000e+00 -1.000000e+00 +0.000000e+00\n"
                                                            "+0.000000e+00 +0.000000e+00 -1.000000e+00\n"
                                                            "+0.000000e+00 +0.000000e+00 +0.000000e+00\n"
                                                            "  Follower Frame\n"
                                                            "  --------------\n"
                                                            "  Base\n"
                                                            "+1.000000e+00 +0.000000e+00 +0.000000e+00\n"
                                                            "+0.000000e+00 -1.000000e+00 +0.000000e+00\n"
                                                            "+0.000000e+00 +0.000000e+00 -1.000000e+00\n"
                                                            "+0.000000e+00 +0.000000e+00 +0.000000e+00\n"
                                                            "------------------------------------\n"
                                                            "Connection 2\n"
                                                            "  Name: hinge\n"
                                                            "  Type: Revolute\n"
                                                            "  Constraints Used\n"
                                                            "  ----------------\n"
                                                            "  Name: c1\n"
                                                            "  Base Frame\n"
                                                            "  ----------\n"
                                                            "  Base\n") +
                                                    kIdentityRotation +
                                                    "+1.000000e+00 +0.000000e+00 +0.000000e+00\n"
                                                    "  Follower Frame\n"
                                                    "  --------------\n"
                                                    "  Sub/Arm\n" +
                                                    kIdentityRotation +
                                                    "+0.000000e+00 -2.000000e+00 -3.000000e+00\n"
                                                    "------------------------------------\n"
                                                    "\n");
}

TEST(ConnectionReport, UnknownTypeNamesInstancesAndMissingNamesPrintEmpty) {
  Constraints2Connections engine;
  const C c(C::Coincident, "k", geom(G::Point, {{"X", "Y"}, {}}, {}), geom(G::Point, {{}, {}}, {}));
  engine.connections.push_back(Connection(Connection::Unknown, {c}));
  engine.connections.push_back(Connection(Connection::Unknown, Frame(), Frame(), u"bare"));
  EXPECT_EQ(report(engine, {"only"}),
            "Connection 1\n"
            "  Name: only\n"
            "  Type: Unknown\n"
            "  Constraints Used\n"
            "  ----------------\n"
            "  Name: k\n"
            "  Instance One\n"
            "  ------------\n"
            "  X/Y\n"
            "  Instance Two\n"
            "  ------------\n"
            "  \n"
            "------------------------------------\n"
            "Connection 2\n"
            "  Name: \n"
            "  Type: Unknown\n"
            "  Constraints Used\n"
            "  ----------------\n"
            "  Instance One\n"
            "  ------------\n"
            "  \n"
            "  Instance Two\n"
            "  ------------\n"
            "  \n"
            "------------------------------------\n"
            "\n");
}

}  // namespace
}  // namespace c2c_test
