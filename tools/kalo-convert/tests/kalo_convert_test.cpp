// kalo-convert: its command line, its JSON text, and the program run end to
// end on the CAD XML samples.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/ground.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/primitive.hpp>
#include <kalo_toolkit/sim_export.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/subsystem_ref.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "conversion_report.hpp"
#include "convert_options.hpp"
#include "json_writer.hpp"

namespace {

using kalo_convert::ConvertOptions;
using kalo_convert::JsonWriter;
using kalo_convert::parseConvertOptions;
using namespace kalo_toolkit;

const std::string kSamples = std::string(KALO_TEST_DATA_DIR) + "/convert/";

bool parse(const std::vector<std::string>& args, ConvertOptions& options, std::string& error) {
  options = ConvertOptions();
  error.clear();
  return parseConvertOptions(args, options, error);
}

TEST(ConvertOptions, ReadsUnitsTolerancesAttributesAndFiles) {
  ConvertOptions o;
  std::string error;
  ASSERT_TRUE(parse({"--units", "g,mm", "--tolerances=1e-3,2e-3", "--name", "Arm", "--created-on=today",
                     "in.xml", "out.xml", "--report-json", "r.json"},
                    o, error))
      << error;
  EXPECT_EQ(o.massUnit, KALOT_MASS_G);
  EXPECT_EQ(o.lengthUnit, KALOT_LENGTH_MM);
  EXPECT_EQ(o.linearTolerance, 1e-3);
  EXPECT_EQ(o.angularTolerance, 2e-3);
  EXPECT_EQ(o.thirdTolerance, 1e-12) << "an omitted third tolerance keeps its default";
  EXPECT_EQ(o.modelName, "Arm");
  EXPECT_EQ(o.createdOn, "today");
  EXPECT_EQ(o.input, "in.xml");
  EXPECT_EQ(o.output, "out.xml");
  EXPECT_EQ(o.reportJson, "r.json");

  ASSERT_TRUE(parse({"--", "-in.xml", "out.xml"}, o, error)) << error;
  EXPECT_EQ(o.input, "-in.xml");
  ASSERT_TRUE(parse({"--help"}, o, error));
  EXPECT_TRUE(o.help);
}

TEST(ConvertOptions, RefusesWhatItCannotUse) {
  ConvertOptions o;
  std::string error;
  const std::vector<std::vector<std::string>> bad = {
      {"in.xml"},
      {"in.xml", "out.xml", "extra.xml"},
      {"--units", "kg", "in.xml", "out.xml"},
      {"--units", "KG,m", "in.xml", "out.xml"},
      {"--units", "kg,m,s", "in.xml", "out.xml"},
      {"--units", "kg,furlong", "in.xml", "out.xml"},
      {"--tolerances", "1e-3", "in.xml", "out.xml"},
      {"--tolerances", "1e-3,abc", "in.xml", "out.xml"},
      {"--tolerances", "1e-3,-1", "in.xml", "out.xml"},
      {"--tolerances", "nan,1", "in.xml", "out.xml"},
      {"--tolerances", "1,2,3,4", "in.xml", "out.xml"},
      {"--name=", "in.xml", "out.xml"},
      {"--verbose", "in.xml", "out.xml"},
      {"-x", "in.xml", "out.xml"},
      {"in.xml", "out.xml", "--report-json"},
      {"--to", "MJCF", "in.xml", "out.xml"},
      {"--to=gltf", "in.xml", "out.xml"},
  };
  for (const auto& args : bad) {
    std::string joined;
    for (const auto& a : args) joined += a + " ";
    EXPECT_FALSE(parse(args, o, error)) << joined;
    EXPECT_FALSE(error.empty()) << joined;
  }
}

TEST(ConvertOptions, TakesTheExportOptionsOnlyWithTo) {
  ConvertOptions o;
  std::string error;
  ASSERT_TRUE(parse({"--to", "urdf", "--fixed-base", "--mesh-dir=m", "--mesh-scale", "0.001", "--actuators",
                     "motor", "in.xml", "out.urdf"},
                    o, error))
      << error;
  EXPECT_TRUE(o.exportOptions.fixedBase);
  EXPECT_EQ(o.exportOptions.meshDir, "m");
  EXPECT_EQ(o.exportOptions.meshScale, 0.001);
  EXPECT_EQ(o.exportOptions.actuators, kalo_toolkit::sim::Actuators::Motor);
  EXPECT_EQ(o.output, "out.urdf") << "a flag takes no value from the next argument";

  EXPECT_FALSE(parse({"--fixed-base", "in.xml", "out.xml"}, o, error));
  EXPECT_EQ(error, "option '--fixed-base' applies only with --to");
  EXPECT_FALSE(parse({"--to", "mjcf", "--collision", "spheres", "in.xml", "out.xml"}, o, error));
  EXPECT_EQ(error, "--collision takes none, mesh or box, not 'spheres'");
  EXPECT_FALSE(parse({"--to", "mjcf", "--fixed_base", "in.xml", "out.xml"}, o, error))
      << "the command line spells options with dashes only";
}

TEST(JsonWriter, QuotesEscapesAndRepairsText) {
  EXPECT_EQ(JsonWriter::quote("a\"b\\c\n\t\x01"), "\"a\\\"b\\\\c\\n\\t\\u0001\"");
  EXPECT_EQ(JsonWriter::quote("Gr\xC3\xBC\xC3\x9F"), "\"Gr\xC3\xBC\xC3\x9F\"") << "valid UTF-8 passes";
  EXPECT_EQ(JsonWriter::quote("x\xFFy\xC3"), "\"x\\ufffdy\\ufffd\"") << "invalid bytes are replaced";
  EXPECT_EQ(JsonWriter::quote("\xED\xA0\x80"), "\"\\ufffd\\ufffd\\ufffd\"") << "no surrogates";
  EXPECT_EQ(JsonWriter::number(0.1), "0.1");
  EXPECT_EQ(JsonWriter::number(-0.0), "0");
  EXPECT_EQ(JsonWriter::number(std::numeric_limits<double>::infinity()), "null");

  JsonWriter json;
  json.beginObject();
  json.key("empty");
  json.beginArray();
  json.endArray();
  json.key("list");
  json.beginArray();
  json.value(1LL);
  json.value(true);
  json.null();
  json.endArray();
  json.endObject();
  EXPECT_EQ(json.text(), "{\n  \"empty\": [],\n  \"list\": [\n    1,\n    true,\n    null\n  ]\n}\n");
}

TEST(ConversionReport, WeldReasonCollectsTheDetailsOfEveryBlock) {
  const std::string rule = std::string(81, '-') + "\n";
  const std::string report = "Constrained Parts: A, B\nConstrain Name: c\nError Details: First.\n" + rule +
                             "Constrained Parts: A, B\nConstrain Name: d\nError Details: Second.\n" + rule;
  EXPECT_EQ(kalo_convert::weldReason(report), "First. Second.");
  EXPECT_EQ(kalo_convert::weldReason(""), "");
}

// Runs the program; stdout and stderr land in files of the fixture's folder.
class KaloConvertRun : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "kalo_convert_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }

  std::string path(const std::string& name) const { return dir + "/" + name; }

  int run(const std::vector<std::string>& args) {
    std::string command = std::string("'") + KALO_CONVERT_EXE + "'";
    for (const auto& a : args) command += " '" + a + "'";
    command += " > '" + path("stdout") + "' 2> '" + path("stderr") + "'";
    const int status = std::system(command.c_str());
    out = read(path("stdout"));
    err = read(path("stderr"));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  static std::string read(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

  static boost::shared_ptr<ZoltModel> readModel(const std::string& file) {
    KalotError error = KALOT_SUCCESS;
    auto m = ZoltModel::readFromXML(&error, file, MechanismSimplifier::None);
    EXPECT_EQ(error, KALOT_SUCCESS);
    return m;
  }

  std::string dir;
  std::string out;
  std::string err;
};

std::vector<std::string> bodyNames(const Subsystem& s) {
  std::vector<std::string> names;
  for (size_t i = 0; i < s.getBodyRefCount(); ++i) names.push_back(s.getBodyRefAt(i)->getBody()->getName());
  return names;
}

// Joint name -> its primitive texts, e.g. "prismatic revolute".
std::map<std::string, std::string> jointPrimitives(const Subsystem& s) {
  std::map<std::string, std::string> joints;
  for (size_t i = 0; i < s.getJointCount(); ++i) {
    const auto j = s.getJointAt(i);
    std::string prims;
    for (size_t k = 0; k < j->getPrimitiveCount(); ++k)
      prims += (k ? " " : "") + j->getPrimitiveAt(k)->getName();
    joints[j->getName()] = prims;
  }
  return joints;
}

template <typename T = std::string>
std::vector<T> values(const boost::property_tree::ptree& list) {
  std::vector<T> result;
  for (const auto& entry : list) result.push_back(entry.second.get_value<T>());
  return result;
}

TEST_F(KaloConvertRun, SliderCrankBecomesJointsGroundAndOneWeldReport) {
  const std::string input = kSamples + "slider_crank.xml";
  ASSERT_EQ(run({"--report-json", path("a.json"), input, path("a.xml"), "--created-on", "2026-01-01"}), 0)
      << err;
  const std::string weldDetails =
      "Two sequential revolute joints are not supported. A weld joint has been added between the constrained "
      "parts.";
  const std::string report =
      "Constrained Parts: Guard, Frame\nConstrain Name: <All constrains>\nError Details: " + weldDetails +
      "\n" + std::string(81, '-') + "\n";
  EXPECT_EQ(out, report + "Wrote " + path("a.xml") + ": 7 constrained pairs, 1 welded.\n");
  EXPECT_EQ(err, "");

  const auto m = readModel(path("a.xml"));
  ASSERT_TRUE(m);
  EXPECT_EQ(m->getName(), "SliderCrank");
  EXPECT_EQ(m->getCreatedUsing(), "kalo-convert");
  EXPECT_EQ(m->getCreatedFrom(), input);
  EXPECT_EQ(m->getCreatedOn(), "2026-01-01");
  const Subsystem& top = *m->getTopSubsystem();
  EXPECT_EQ(bodyNames(top),
            (std::vector<std::string>{"Frame", "RootPart", "Crank", "Rod", "Slider", "Guard"}));
  const std::map<std::string, std::string> expected = {
      {"RootPart--Frame", "weld"},       // the fixed frame
      {"Frame--Crank", "revolute"},      // crank bearing
      {"Crank--Rod", "revolute"},        // crank pin
      {"Rod--Slider", "revolute"},       // wrist pin
      {"Frame--Slider", "prismatic"},    // guideway
      {"Guard--Frame", "weld"},          // unsolvable: welded and reported
      {"Crank--Hub", "weld"},            // keyed flywheel (a weld constraint)
      {"RootGround--RootPart", "weld"},  // ground
  };
  EXPECT_EQ(jointPrimitives(top), expected);
  ASSERT_EQ(top.getGroundCount(), 1u);
  EXPECT_EQ(top.getGroundAt(0)->getName(), "RootGround");
  const double* groundAt = top.getGroundAt(0)->getFrame()->getPosition();
  EXPECT_EQ(groundAt[0], 0.2) << "welded at the top model's centre of gravity";

  ASSERT_EQ(top.getSubsystemRefCount(), 1u);
  const Subsystem& flywheel = *top.getSubsystemRefAt(0)->getSubsystem();
  EXPECT_EQ(flywheel.getName(), "Flywheel");
  EXPECT_EQ(bodyNames(flywheel), (std::vector<std::string>{"Hub", "Rim"}));
  EXPECT_EQ(jointPrimitives(flywheel), (std::map<std::string, std::string>{{"Hub--Rim", "weld"}}));

  // Node IDs come from the reference paths.
  EXPECT_EQ(top.getBodyRefAt(0)->getBody()->getNodeID(), "/SliderCrank/Frame");
  EXPECT_EQ(flywheel.getBodyRefAt(0)->getBody()->getNodeID(), "/SliderCrank/Flywheel/Hub");

  // The JSON report describes every pair and the totals.
  boost::property_tree::ptree json;
  ASSERT_NO_THROW(boost::property_tree::read_json(path("a.json"), json));
  EXPECT_EQ(json.get<int>("result"), 4);
  EXPECT_EQ(json.get<std::string>("resultText"), "Unhandled constraint");
  EXPECT_EQ(json.get<std::string>("units.mass"), "kg");
  const auto& totals = json.get_child("totals");
  EXPECT_EQ(totals.get<int>("bodies"), 8);
  EXPECT_EQ(totals.get<int>("joints"), 9);
  EXPECT_EQ(totals.get<int>("subsystems"), 2);
  EXPECT_EQ(totals.get<int>("constrainedPairs"), 7);
  EXPECT_EQ(totals.get<int>("pairsWelded"), 1);
  EXPECT_EQ(totals.get<int>("jointsByKind.revolute"), 3);
  EXPECT_EQ(totals.get<int>("jointsByKind.prismatic"), 1);
  EXPECT_EQ(totals.get<int>("jointsByKind.weld"), 5);

  std::map<std::string, const boost::property_tree::ptree*> pairs;
  for (const auto& entry : json.get_child("pairs"))
    pairs[entry.second.get<std::string>("joint.name")] = &entry.second;
  ASSERT_EQ(pairs.size(), 7u);

  const auto& guard = *pairs.at("Guard--Frame");
  EXPECT_EQ(guard.get<std::string>("status"), "welded");
  EXPECT_EQ(guard.get<int>("statusCode"), 4);
  EXPECT_EQ(guard.get<std::string>("weldReason"), weldDetails);
  EXPECT_EQ(guard.get<std::string>("joint.kind"), "weld");

  const auto& bearing = *pairs.at("Frame--Crank");
  EXPECT_EQ(bearing.get<std::string>("status"), "converted");
  EXPECT_EQ(values(bearing.get_child("constraints")),
            (std::vector<std::string>{"CrankBearing-Concentric", "CrankBearing-Coincident"}));
  EXPECT_EQ(values(bearing.get_child("parts")), (std::vector<std::string>{"Frame", "Crank"}));
  EXPECT_EQ(bearing.get<std::string>("joint.kind"), "revolute");
  EXPECT_EQ(bearing.get<std::string>("joint.base.part"), "Frame");
  const auto& prims = bearing.get_child("joint.primitives");
  ASSERT_EQ(prims.size(), 1u);
  EXPECT_EQ(prims.front().second.get<std::string>("type"), "revolute");
  EXPECT_EQ(values<double>(prims.front().second.get_child("axis")), (std::vector<double>{0, 0, 1}));
  EXPECT_EQ(prims.front().second.get<std::string>("referenceFrame"), "WORLD");

  // The same input gives identical files; the report names its own output file, all else is the same.
  ASSERT_EQ(run({"--report-json", path("b.json"), input, path("b.xml"), "--created-on", "2026-01-01"}), 0)
      << err;
  EXPECT_EQ(read(path("a.xml")), read(path("b.xml")));
  const auto strip = [](std::string s, const std::string& name) {
    for (size_t at = s.find(name); at != std::string::npos; at = s.find(name)) s.erase(at, name.size());
    return s;
  };
  EXPECT_EQ(strip(read(path("a.json")), "a.xml"), strip(read(path("b.json")), "b.xml"));
}

TEST_F(KaloConvertRun, NotesOnConstraintsThePluginMayNotHaveMeantArePrintedAndInTheJson) {
  std::string text = read(kSamples + "slider_crank.xml");
  const std::string type = "<name>\"CrankBearing-Concentric\"</name>\n        <type>0</type>";
  const size_t at = text.find(type);
  ASSERT_NE(at, std::string::npos);
  text.replace(at, type.size(), "<name>\"CrankBearing-Concentric\"</name>\n        <type>9</type>");
  std::ofstream(path("odd.xml"), std::ios::binary) << text;
  ASSERT_EQ(run({"--report-json", path("odd.json"), path("odd.xml"), path("odd_out.xml")}), 0) << err;
  const std::string note =
      "Constraint \"CrankBearing-Concentric\" in assembly \"SliderCrank\": constraint type 9 is not one the "
      "inference knows (0 to 7); the pair it ties is welded.";
  EXPECT_NE(out.find(note + "\n"), std::string::npos) << out;
  boost::property_tree::ptree json;
  boost::property_tree::read_json(path("odd.json"), json);
  EXPECT_EQ(values(json.get_child("notes")), std::vector<std::string>{note});

  ASSERT_EQ(run({"--report-json", path("clean.json"), kSamples + "slider_crank.xml", path("clean.xml")}), 0);
  boost::property_tree::read_json(path("clean.json"), json);
  EXPECT_TRUE(json.get_child("notes").empty());
}

TEST_F(KaloConvertRun, UnitsLabelAndScaleTheModel) {
  ASSERT_EQ(run({"--units", "g,mm", kSamples + "slider_crank.xml", path("mm.xml")}), 0) << err;
  const auto m = readModel(path("mm.xml"));
  ASSERT_TRUE(m);
  const Body& frame = *m->getTopSubsystem()->getBodyRefAt(0)->getBody();
  EXPECT_EQ(frame.getMassUnits(), KALOT_MASS_G);
  EXPECT_EQ(frame.getInertiaUnits(), KALOT_INERTIA_G_CM2);
  EXPECT_DOUBLE_EQ(frame.getInertia()[0], 0.5 * 0.01) << "g*mm^2 to g*cm^2";
  EXPECT_EQ(frame.getLinkAt(0)->getPositionUnits(), KALOT_LENGTH_MM);
  EXPECT_EQ(frame.getVolumeUnits(), KALOT_VOL_MM3);
}

TEST_F(KaloConvertRun, ToASimulatorFormatWritesItStraightFromTheCADFile) {
  const std::string input = kSamples + "slider_crank.xml";
  // The mechanics alone: no actuator or collision lines after the meshes'.
  ASSERT_EQ(run({"--to", "mjcf", "--actuators", "none", "--collision", "none", "--report-json",
                 path("s.json"), input, path("s.mjcf")}),
            0)
      << err;
  // The sample's meshes are not there: MuJoCo could not load the model with them.
  const std::string lastMesh = "body 'Flywheel.Rim': mesh 'rim.stl' left out: cannot open '" +
                               path("rim.stl") + "' (No such file or directory)";
  EXPECT_NE(out.find("Error Details: "), std::string::npos) << "the conversion report comes first";
  EXPECT_NE(out.find(lastMesh + "\nWrote " + path("s.mjcf") + " (mjcf): 7 constrained pairs, 1 welded.\n"),
            std::string::npos)
      << out;
  const std::string mjcf = read(path("s.mjcf"));
  EXPECT_EQ(mjcf.find("<mujoco model=\"SliderCrank\">"), 39u) << mjcf;
  EXPECT_NE(mjcf.find("<connect name=\"Rod--Slider\""), std::string::npos);
  EXPECT_NE(mjcf.find("<connect name=\"Rod--Slider.axis\""), std::string::npos);

  boost::property_tree::ptree json;
  boost::property_tree::read_json(path("s.json"), json);
  EXPECT_EQ(json.get<std::string>("format"), "mjcf");
  EXPECT_EQ(json.get<int>("result"), 4);
  EXPECT_EQ(values(json.get_child("exportReport")).back(), lastMesh);

  // Same file as converting, then exporting the multibody file.
  ASSERT_EQ(run({input, path("s.xml")}), 0) << err;
  const auto model = readModel(path("s.xml"));
  ASSERT_TRUE(model);
  std::string viaFile;
  kalo_toolkit::sim::ExportOptions options;
  options.actuators = kalo_toolkit::sim::Actuators::None;
  options.collision = kalo_toolkit::sim::Collision::None;
  ASSERT_EQ(kalo_toolkit::sim::exportToString(*model, options, &viaFile).code, 0);
  EXPECT_EQ(viaFile, mjcf);

  // --simplify restructures the converted model as kalo-export does while reading the file:
  // the weld gathers its bodies, so the file changes, and both routes still agree.
  ASSERT_EQ(run({"--to", "mjcf", "--actuators", "none", "--collision", "none", "--simplify", "1", input,
                 path("grouped.mjcf")}),
            0)
      << err;
  KalotError error = KALOT_SUCCESS;
  const auto grouped = ZoltModel::readFromXML(&error, path("s.xml"), MechanismSimplifier::FlattenAndGroup);
  ASSERT_TRUE(grouped);
  std::string groupedViaFile;
  ASSERT_EQ(kalo_toolkit::sim::exportToString(*grouped, options, &groupedViaFile).code, 0);
  EXPECT_NE(groupedViaFile, mjcf);
  EXPECT_EQ(read(path("grouped.mjcf")), groupedViaFile);

  ASSERT_EQ(run({"--to", "html", "--report-json", path("page.json"), input, path("s.html")}), 0) << err;
  boost::property_tree::read_json(path("page.json"), json);
  EXPECT_EQ(json.get<std::string>("format"), "html");

  for (const char* format : {"sdf", "urdf"}) {
    ASSERT_EQ(run({"--to", format, input, path("s." + std::string(format))}), 0) << err;
    EXPECT_NE(out.find(std::string(" (") + format + "): 7 constrained pairs"), std::string::npos) << out;
  }
  EXPECT_EQ(run({"--to", "urdf", input, path("missing/s.urdf")}), 1);
  EXPECT_NE(err.find("cannot write '" + path("missing/s.urdf") + "'"), std::string::npos) << err;
}

TEST_F(KaloConvertRun, FailsClearlyOnBadFilesOptionsAndWrites) {
  EXPECT_EQ(run({kSamples + "no_such_file.xml", path("x.xml")}), 1);
  EXPECT_NE(err.find("cannot open"), std::string::npos) << err;

  EXPECT_EQ(run({kSamples + "truncated.xml", path("x.xml")}), 1);
  // The parser's position and message, then the code's text.
  EXPECT_NE(err.find("truncated.xml' line "), std::string::npos) << err;
  EXPECT_NE(err.find(" (XML Read error)\n"), std::string::npos) << err;
  EXPECT_FALSE(std::ifstream(path("x.xml")).good());

  EXPECT_EQ(run({kSamples + "slider_crank.xml", path("missing/dir/x.xml")}), 1);
  EXPECT_NE(err.find("cannot write"), std::string::npos) << err;

  EXPECT_EQ(run({"--report-json", path("missing/r.json"), kSamples + "slider_crank.xml", path("x.xml")}), 1);
  EXPECT_NE(err.find("JSON report"), std::string::npos) << err;

  EXPECT_EQ(run({"--units", "stone,m", kSamples + "slider_crank.xml", path("y.xml")}), 2);
  EXPECT_NE(err.find("unknown mass unit 'stone'"), std::string::npos) << err;
  EXPECT_NE(err.find("--help"), std::string::npos);
  EXPECT_FALSE(std::ifstream(path("y.xml")).good());

  EXPECT_EQ(run({"--help"}), 0);
  EXPECT_EQ(out.rfind("usage: kalo-convert", 0), 0u);
  EXPECT_NE(out.find("--report-json"), std::string::npos);
}

}  // namespace
