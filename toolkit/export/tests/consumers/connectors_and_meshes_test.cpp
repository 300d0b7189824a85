// Massless connectors of every selector, and geometry files MuJoCo cannot
// open: each export loads in MuJoCo, SDFormat and urdfdom.

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <boost/make_shared.hpp>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/frame_ref.hpp>
#include <kalo_toolkit/ground.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/sim_verify.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "mechanism_support.hpp"
#include "plugin_models.hpp"

namespace kalo_consumers {
namespace {

using namespace kalo_toolkit;
using sim::ExportOptions;

const double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

boost::shared_ptr<Frame> frameAt(const boost::shared_ptr<Body>& body, const std::string& name,
                                 const Vec3& at) {
  auto f = boost::make_shared<Frame>(name, -1, at.data(), KALOT_LENGTH_M, "WORLD", kIdentity, KALOT_ANGLE_RAD,
                                     KALOT_ROT_3X3, "WORLD");
  body->addLink(f);
  f->setParent(body);
  return f;
}

// A script builds the model through the toolkit, as the converter makes only
// the ball-ball kind from CAD mates: a base welded to the ground and one
// follower per selector, plus a second ball-ball connector on the same pair.
TEST(Connectors, EverySelectorExportsUniqueNamesThatEveryConsumerLoads) {
  auto top = boost::make_shared<Subsystem>("Connectors");
  auto model = boost::make_shared<ZoltModel>("test", "", "", "", "Connectors", top);
  auto groundFrame = boost::make_shared<Frame>("G", 0, KALOT_LENGTH_M);
  top->addGround(boost::make_shared<Ground>("RootGround", groundFrame));
  const double inertia[9] = {1e-3, 0, 0, 0, 1e-3, 0, 0, 0, 1e-3};
  const auto body = [&](const std::string& name, const Vec3& cg) {
    auto b = boost::make_shared<Body>(name, 1.0, KALOT_MASS_KG, inertia, KALOT_INERTIA_KG_M2, 0, KALOT_VOL_M3,
                                      0, KALOT_SAREA_M2, "", nullptr);
    frameAt(b, "CG", cg);
    top->addBodyRef(boost::make_shared<BodyRef>(name, b));
    return b;
  };
  auto base = body("Base", {0, 0, 0});
  auto groundJoint =
      boost::make_shared<Joint>("Weld", boost::make_shared<FrameRef>(groundFrame),
                                boost::make_shared<FrameRef>(frameAt(base, "Mount", {0, 0, 0})), "");
  groundJoint->addPrimitive(KALOT_PRIM_WELD, Joint::zoltNullAxis, "WORLD");
  top->addJoint(groundJoint);
  const std::pair<const char*, KalotJointType> selectors[] = {{"RR", KALOT_JOINT_MASSLESS_CONNECTOR_RR},
                                                              {"RS", KALOT_JOINT_MASSLESS_CONNECTOR_RS},
                                                              {"SS", KALOT_JOINT_MASSLESS_CONNECTOR_SS},
                                                              {"PS", KALOT_JOINT_MASSLESS_CONNECTOR_PS},
                                                              {"SS", KALOT_JOINT_MASSLESS_CONNECTOR_SS}};
  const double x[3] = {1, 0, 0}, z[3] = {0, 0, 1};
  int k = 0;
  for (const auto& [kind, type] : selectors) {
    const double y = 0.5 * ++k;
    auto follower = k == 5 ? top->getBodyRefAt(3)->getBody() : body(std::string("F") + kind, {1, y, 0});
    auto joint = boost::make_shared<Joint>(
        std::string("Base--F") + kind,
        boost::make_shared<FrameRef>(frameAt(base, "C" + std::to_string(k), {0, y, 0})),
        boost::make_shared<FrameRef>(frameAt(follower, "C" + std::to_string(k), {0.9, y, 0})), "");
    joint->addMassLessConnectorPrims(type, type == KALOT_JOINT_MASSLESS_CONNECTOR_PS ? x : z, "WORLD", z,
                                     "WORLD");
    top->addJoint(joint);
  }
  const std::string dir = scratchDir("connectors");
  ExportOptions options;
  options.verify = true;
  const sim::ExportResult r = sim::exportChecked(*model, dir + "/connectors.mjcf", options);
  std::string lines;
  for (const std::string& line : r.report) lines += line + "\n";
  EXPECT_EQ(r.code, 0) << r.error << "\n" << lines;
  char error[1000] = "";
  MjModelPtr m(mj_loadXML((dir + "/connectors.mjcf").c_str(), nullptr, error, sizeof error));
  ASSERT_TRUE(m) << error;
  // Tree: RR 2, RS 1 + 3, SS 3 + 3, PS 1 + 3; the second SS closes a loop through its own light body (3).
  EXPECT_EQ(m->nv, 2 + 4 + 6 + 4 + 3);
  for (int j = 0; j < m->njnt; ++j)
    for (int i = 0; i < j; ++i)
      EXPECT_STRNE(mj_id2name(m.get(), mjOBJ_JOINT, i), mj_id2name(m.get(), mjOBJ_JOINT, j));

  options.verify = false;
  options.format = sim::Format::Sdf;
  ASSERT_EQ(sim::exportToFile(*model, dir + "/connectors.sdf", options).code, 0);
  for (const std::string& e : sdformatErrors(dir + "/connectors.sdf")) ADD_FAILURE() << "SDFormat: " << e;
  options.format = sim::Format::Urdf;
  ASSERT_EQ(sim::exportToFile(*model, dir + "/connectors.urdf", options).code, 0);
  EXPECT_TRUE(urdfdomParses(dir + "/connectors.urdf"));
}

// Geometry names as CAD systems hand them over: a STEP file, an STL that is
// not there and one that is. MuJoCo loads the model with the one mesh it can open.
TEST(Meshes, GeometryMuJoCoCannotOpenIsLeftOutAndReported) {
  const std::string dir = scratchDir("meshes");
  CadAssembly a("Meshes");
  a.part("PartA", 2, {0, 0, 0}, {0.1, 0.1, 0.1}, true, "PartA.step");
  a.part("PartB", 1, {0.2, 0, 0}, {0.1, 0.1, 0.1}, false, "PartB.stl");
  a.part("PartC", 1, {0.4, 0, 0}, {0.1, 0.1, 0.1}, false, "PartC.stl");
  a.pin("PartA", "PartB", {0.1, 0, 0}, {0, 0, 1});
  a.pin("PartB", "PartC", {0.3, 0, 0}, {0, 0, 1});
  const std::string multibody = dir + "/meshes.xml";
  a.convert(dir + "/meshes.cad.xml", multibody);
  ExpectedModel e;
  ASSERT_TRUE(readExpectations(multibody, &e));
  ExpectedModel onlyC;
  onlyC.bodies.push_back(e.bodies[static_cast<size_t>(e.bodyIndex("PartC"))]);
  writeMeshes(onlyC, dir);

  ExportOptions options;
  options.meshDir = dir;
  std::vector<std::string> report;
  MjModelPtr m = exportToMujoco(multibody, dir + "/meshes.mjcf", options, &report);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->nmesh, 1);
  EXPECT_TRUE(hasLine(report, "body 'PartA': mesh '" + dir +
                                  "/PartA.step' left out: MuJoCo reads STL, OBJ and MSH "
                                  "meshes, not '.step' files"));
  EXPECT_TRUE(hasLine(report, "body 'PartB': mesh '" + dir + "/PartB.stl' left out: cannot open"));
  // PartC's mesh opens and is kept (the mass audit may still speak of it).
  EXPECT_FALSE(hasLine(report, "PartC.stl' left out"));

  // Kept on request, the reference makes MuJoCo refuse the file, as it says.
  options.keepMissingMeshes = true;
  options.format = sim::Format::Mjcf;
  const sim::ExportResult kept = exportFile(multibody, dir + "/kept.mjcf", options);
  EXPECT_TRUE(hasLine(kept.report, "body 'PartB': mesh '" + dir + "/PartB.stl' written as asked"));
  char error[1000] = "";
  MjModelPtr refused(mj_loadXML((dir + "/kept.mjcf").c_str(), nullptr, error, sizeof error));
  EXPECT_FALSE(refused);

  // SDFormat and URDF keep every reference and say which ones will not open.
  for (const sim::Format format : {sim::Format::Sdf, sim::Format::Urdf}) {
    options.format = format;
    options.keepMissingMeshes = false;
    const std::string file = dir + "/meshes." + sim::formatName(format);
    const sim::ExportResult r = exportFile(multibody, file, options);
    EXPECT_TRUE(hasLine(r.report, "body 'PartA': mesh '" + dir + "/PartA.step' written, but")) << file;
    EXPECT_TRUE(hasLine(r.report, "body 'PartB': mesh '" + dir + "/PartB.stl' written, but cannot open"))
        << file;
  }
  EXPECT_TRUE(sdformatErrors(dir + "/meshes.sdf").empty());
  EXPECT_TRUE(urdfdomParses(dir + "/meshes.urdf"));

  // A folder and a pipe under a mesh's name open (the pipe only once written to): neither is
  // a mesh. The export leaves them out without waiting, and MuJoCo loads the rest.
  const std::string partB = dir + "/PartB.stl";
  for (const bool pipe : {false, true}) {
    SCOPED_TRACE(pipe ? "pipe" : "folder");
    std::filesystem::remove_all(partB);
    if (pipe)
      ASSERT_EQ(mkfifo(partB.c_str(), 0600), 0);
    else
      std::filesystem::create_directory(partB);
    options.format = sim::Format::Mjcf;
    report.clear();
    MjModelPtr loaded = exportToMujoco(multibody, dir + "/special.mjcf", options, &report);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->nmesh, 1);
    EXPECT_TRUE(hasLine(
        report, "body 'PartB': mesh '" + partB + "' left out: '" + partB + "' is not a regular file"));
  }
  std::filesystem::remove(partB);
}

}  // namespace
}  // namespace kalo_consumers
