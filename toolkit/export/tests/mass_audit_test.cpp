#include <kalo_toolkit/mass_audit.hpp>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include <kalo_toolkit/mesh_geometry.hpp>
#include <kalo_toolkit/sim_export.hpp>

#include "export_test_model.hpp"

namespace kalo_toolkit {
namespace {

using namespace testing;
using sim::AuditLevel;
using sim::AuditLine;

/// Binary STL of the box [lo, hi], wound outward; `inward` winds it inward (a cavity).
std::string boxStl(const Vec3& lo, const Vec3& hi, bool inward = false) {
  const double c[8][3] = {{lo[0], lo[1], lo[2]}, {hi[0], lo[1], lo[2]}, {hi[0], hi[1], lo[2]},
                          {lo[0], hi[1], lo[2]}, {lo[0], lo[1], hi[2]}, {hi[0], lo[1], hi[2]},
                          {hi[0], hi[1], hi[2]}, {lo[0], hi[1], hi[2]}};
  const int quads[6][4] = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4},
                           {2, 3, 7, 6}, {1, 2, 6, 5}, {0, 4, 7, 3}};
  std::string out;
  for (const auto& q : quads) {
    const int tris[2][3] = {{q[0], q[1], q[2]}, {q[0], q[2], q[3]}};
    for (const auto& t : tris) {
      out.append(12, '\0');
      for (int k = 0; k < 3; ++k) {
        const int v = t[inward ? 2 - k : k];
        for (int i = 0; i < 3; ++i) {
          const float f = static_cast<float>(c[v][i]);
          out.append(reinterpret_cast<const char*>(&f), 4);
        }
      }
      out.append(2, '\0');
    }
  }
  return out;
}

void writeStl(const std::string& path, const std::vector<std::string>& parts) {
  std::string triangles;
  for (const std::string& p : parts) triangles += p;
  const std::uint32_t count = static_cast<std::uint32_t>(triangles.size() / 50);
  std::ofstream out(path, std::ios::binary);
  out << std::string(80, ' ');
  out.write(reinterpret_cast<const char*>(&count), 4);
  out << triangles;
}

/// Inertia about the centre of a solid box of mass m and sides a, b, c.
Mat3 boxTensor(double m, double a, double b, double c) {
  return {m * (b * b + c * c) / 12, 0, 0, 0, m * (a * a + c * c) / 12, 0, 0, 0, m * (a * a + b * b) / 12};
}

class MassAuditTest : public ::testing::Test {
 protected:
  /// A body hung from the ground by a hinge, with its stored volume and an optional mesh.
  void addBody(const std::string& name, double mass, const Mat3& inertia, double volume, const Vec3& cg,
               const std::string& mesh = "", KalotMassUnit massUnit = KALOT_MASS_KG) {
    auto b = boost::make_shared<Body>(name, mass, massUnit, inertia.data(), KALOT_INERTIA_KG_M2, volume,
                                      KALOT_VOL_M3, 0.0, KALOT_SAREA_M2, mesh, nullptr);
    const Mat3 unit = sim::identity3();
    const Vec3 origin{};
    auto cgFrame = boost::make_shared<Frame>("CG", -1, cg.data(), KALOT_LENGTH_M, "WORLD", unit.data(),
                                             KALOT_ANGLE_RAD, KALOT_ROT_3X3, "WORLD");
    auto part = boost::make_shared<Frame>("", -1, origin.data(), KALOT_LENGTH_M, "WORLD", unit.data(),
                                          KALOT_ANGLE_RAD, KALOT_ROT_3X3, "WORLD");
    b->addLink(cgFrame);
    b->addLink(part);
    b->setCGFrame(cgFrame);
    m.top->addBodyRef(boost::make_shared<BodyRef>(name, b));
    m.joint(m.ground, b, cg, {revolute({0, 0, 1})});
  }

  std::vector<AuditLine> audit(double meshScale = 0.0) {
    std::vector<AuditLine> lines;
    std::string error;
    EXPECT_TRUE(sim::auditMassProperties(*m.model, sim::AuditOptions{dir, meshScale}, &lines, &error))
        << error;
    return lines;
  }

  std::string file(const std::string& name) { return dir + name; }

  TestModel m;
  void SetUp() override { std::filesystem::create_directories(dir); }

  // One folder per test: ctest runs the cases side by side and several write the same mesh names.
  std::string dir = ::testing::TempDir() + "mass_audit_" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
};

TEST_F(MassAuditTest, SoundBodiesRaiseNothing) {
  // An aluminium block (2700 kg/m^3) 0.1 x 0.2 x 0.05 m and a hollow steel cube
  // (0.2 m outside, 0.16 m cavity), each with its mesh and its true tensor.
  writeStl(file("block.stl"), {boxStl({0, 0, 0}, {0.1, 0.2, 0.05})});
  addBody("Block", 2.7, boxTensor(2.7, 0.1, 0.2, 0.05), 0.001, {0.05, 0.1, 0.025}, "block.stl");
  writeStl(file("hollow.stl"),
           {boxStl({0, 0, 0}, {0.2, 0.2, 0.2}), boxStl({0.02, 0.02, 0.02}, {0.18, 0.18, 0.18}, true)});
  const double outer = 7850 * 0.008, inner = 7850 * 0.16 * 0.16 * 0.16;
  Mat3 hollow = boxTensor(outer, 0.2, 0.2, 0.2);
  const Mat3 cavity = boxTensor(inner, 0.16, 0.16, 0.16);
  for (size_t i = 0; i < 9; ++i) hollow[i] -= cavity[i];
  addBody("Hollow", outer - inner, hollow, 0.008 - 0.004096, {0.1, 0.1, 0.1}, "hollow.stl");
  EXPECT_TRUE(audit().empty());
}

TEST_F(MassAuditTest, DensityOutsideThePlausibleRange) {
  // Grams typed as kilograms, and a part with no material (a few grams for a litre).
  addBody("Slip", 2700, boxTensor(2700, 0.1, 0.2, 0.05), 0.001, {0, 0, 0});
  addBody("Foamless", 0.005, boxTensor(0.005, 0.1, 0.2, 0.05), 0.001, {0, 0, 0});
  const auto lines = audit();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].level, AuditLevel::Warning);
  EXPECT_EQ(lines[0].body, "Slip");
  EXPECT_EQ(
      sim::auditLineText(lines[0]),
      "warning: body 'Slip': density 2.7e+06 kg/m^3 (mass 2700 kg over volume 0.001 m^3) is outside 100 to "
      "25000 kg/m^3: a part without material or a unit slip");
  EXPECT_NE(lines[1].text.find("body 'Foamless': density 5 kg/m^3"), std::string::npos) << lines[1].text;
}

TEST_F(MassAuditTest, TensorsNoBodyCanHaveMovingBodiesWithoutMassAndPointMasses) {
  addBody("Needle", 1.0, {1, 0, 0, 0, 1, 0, 0, 0, 5}, 0.0, {0, 0, 0});
  addBody("Negative", 1.0, {1, 0, 0, 0, -1, 0, 0, 0, 1}, 0.0, {0, 0, 0});
  addBody("Ghost", 0.0, Mat3{}, 0.0, {0, 0, 0});
  addBody("Point", 2.0, Mat3{}, 0.0, {0, 0, 0});
  const auto lines = audit();
  ASSERT_EQ(lines.size(), 4u);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(lines[i].level, AuditLevel::Error) << lines[i].text;
  EXPECT_EQ(lines[0].text,
            "body 'Needle': principal moments 1, 1, 5 kg*m^2 break the triangle inequality (the largest "
            "exceeds the "
            "sum of the other two)");
  EXPECT_EQ(lines[1].text, "body 'Negative': principal moments -1, 1, 1 kg*m^2 include a negative one");
  EXPECT_EQ(lines[2].text, "body 'Ghost': moves by joint 'RootGround--Ghost' but has no mass");
  EXPECT_EQ(lines[3].level, AuditLevel::Warning);
  EXPECT_EQ(lines[3].text,
            "body 'Point': moves with mass 2 kg but no inertia tensor: a point mass, which no "
            "solid part is");
}

TEST_F(MassAuditTest, MeshInMillimetresDeclaredInMetresNamesTheScaleThatFits) {
  writeStl(file("block_mm.stl"), {boxStl({0, 0, 0}, {100, 200, 50})});
  addBody("Block", 2.7, boxTensor(2.7, 0.1, 0.2, 0.05), 0.001, {0.05, 0.1, 0.025}, "block_mm.stl");
  auto lines = audit();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text,
            "body 'Block': mesh '" + file("block_mm.stl") +
                "' at scale 1 encloses 1e+06 m^3 against the stored volume 0.001 m^3; --mesh-scale "
                "0.001 would make them agree");
  // At the scale it names, the mesh agrees in volume, bounds and tensor.
  EXPECT_TRUE(audit(0.001).empty());
}

TEST_F(MassAuditTest, HollowPartWithASolidBlocksTensorAndACentreOfMassOffItsMesh) {
  writeStl(file("hollow.stl"),
           {boxStl({0, 0, 0}, {0.2, 0.2, 0.2}), boxStl({0.02, 0.02, 0.02}, {0.18, 0.18, 0.18}, true)});
  const double mass = 7850 * (0.008 - 0.004096);
  addBody("Hollow", mass, boxTensor(mass, 0.2, 0.2, 0.2), 0.003904, {0.1, 0.1, 0.1}, "hollow.stl");
  addBody("Astray", mass, boxTensor(mass, 0.2, 0.2, 0.2), 0.003904, {0.5, 0.1, 0.1}, "hollow.stl");
  const auto lines = audit();
  ASSERT_EQ(lines.size(), 3u);
  // Hollow: rho (a^5 - b^5) / 6 = 0.2815 kg*m^2; a solid cube of the same mass: m a^2 / 6 = 0.2043.
  EXPECT_EQ(lines[0].body, "Hollow");
  EXPECT_EQ(lines[0].text,
            "body 'Hollow': inertia of its mesh at its density 7850 kg/m^3, principal moments 0.2815, "
            "0.2815, 0.2815 "
            "kg*m^2, differs from its tensor's 0.2043, 0.2043, 0.2043 kg*m^2 by 37.77%");
  EXPECT_EQ(lines[1].body, "Astray");
  EXPECT_EQ(lines[1].text,
            "body 'Astray': centre of mass (0.5, 0.1, 0.1) m lies outside the bounds of its mesh '" +
                file("hollow.stl") + "' at scale 1");
  EXPECT_EQ(lines[2].body, "Astray");
}

TEST_F(MassAuditTest, MissingMeshesAreNotAuditedAndExportReportsTheLines) {
  addBody("Drawn", 2.7, boxTensor(2.7, 0.1, 0.2, 0.05), 0.001, {0, 0, 0}, "no_such_mesh.stl");
  addBody("Slip", 2700, boxTensor(2700, 0.1, 0.2, 0.05), 0.001, {0, 0, 0});
  EXPECT_EQ(audit().size(), 1u);
  std::string text;
  sim::ExportOptions options;
  options.meshDir = dir;
  const auto result = sim::exportToString(*m.model, options, &text);
  ASSERT_EQ(result.code, 0) << result.error;
  ASSERT_FALSE(result.report.empty());
  EXPECT_EQ(result.report.back().rfind("warning: body 'Slip': density 2.7e+06 kg/m^3", 0), 0u)
      << result.report.back();
}

TEST(MeshGeometryTest, BoxAndCavityMassPropertiesMatchTheirClosedForms) {
  sim::MeshGeometry mesh;
  std::string triangles =
      boxStl({1, 2, 3}, {1.2, 2.2, 3.2}) + boxStl({1.02, 2.02, 3.02}, {1.18, 2.18, 3.18}, true);
  std::string bytes(80, ' ');
  const std::uint32_t count = static_cast<std::uint32_t>(triangles.size() / 50);
  bytes.append(reinterpret_cast<const char*>(&count), 4);
  bytes += triangles;
  std::string error;
  ASSERT_TRUE(sim::parseMesh(bytes, "STL", &mesh, &error)) << error;
  EXPECT_EQ(mesh.triangles.size(), 24u);
  const auto p = sim::meshMassProperties(mesh);
  // Coordinates pass through float: compare at float's precision.
  EXPECT_NEAR(p.volume, 0.008 - 0.004096, 1e-8);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(p.centroid[static_cast<size_t>(i)], 1.1 + i, 1e-6);
  const double expected = 0.008 * 0.08 / 12 - 0.004096 * 0.0512 / 12;
  EXPECT_NEAR(p.inertia[0], expected, 1e-9);
  EXPECT_NEAR(p.inertia[4], expected, 1e-9);
  EXPECT_NEAR(p.inertia[1], 0.0, 1e-9);
  EXPECT_FALSE(sim::parseMesh(bytes.substr(0, bytes.size() - 1), "stl", &mesh, &error));
  EXPECT_EQ(error, "neither a binary STL (size does not match its triangle count) nor an ASCII STL");
  EXPECT_FALSE(sim::parseMesh("v 0 0 0\nf 1 2 3\n", "obj", &mesh, &error));
  EXPECT_EQ(error, "line 2: face index '2' names no vertex defined before it");
}

}  // namespace
}  // namespace kalo_toolkit
