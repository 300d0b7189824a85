// What a plug-in author learns from the header alone: the mate table, the
// refusals of what can only be a mistake, empty components and the notes that
// name them, and saving the described assembly as a CAD XML file.

#include <gtest/gtest.h>

#include <kalo_api/kalo_api.h>
#include <quorra_engine/quorra_engine_control.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <kalo_toolkit/cad_model.hpp>
#include <kalo_toolkit/cad_model_ref.hpp>
#include <kalo_toolkit/cad_unit.hpp>
#include <kalo_toolkit/constrain.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/primitive.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/zolt_model.hpp>

namespace {

using namespace kalo_toolkit;

const double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
const double kZero[3] = {0, 0, 0};
const double kX[3] = {1, 0, 0};
const double kZ[3] = {0, 0, 1};
const double kInertia[6] = {1, 1, 1, 0, 0, 0};

struct Mate {
  int type;
  int geom1, geom2;
  const double* axis1;
  const double* axis2;
  const double* location2;
};

class PluginGuidanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    quorra_engine_control_reset();
    kalot_set_units(KALOT_MASS_KG, KALOT_LENGTH_M);
    std::string pattern = ::testing::TempDir() + "kalo_plugin_guidance_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
  }
  void TearDown() override {
    for (auto it = handles.rbegin(); it != handles.rend(); ++it) kalot_release_object(*it);
    kalot_disconnectfrom_quorra();
    std::system(("rm -rf '" + dir + "'").c_str());
  }

  void* keep(void* h) {
    handles.push_back(h);
    return h;
  }

  void* model(const char* name) {
    void* h = nullptr;
    EXPECT_EQ(kalot_create_cadmodel(&h, name, 1.0, kInertia, kZero, 0.5, 2.0, "part.stl", nullptr), 0);
    return keep(h);
  }

  void place(void* parent, const char* name, void* definition, int flexible = 0) {
    void* r = nullptr;
    ASSERT_EQ(
        kalot_create_cadmodelref(&r, name, name, definition, kIdentity, kZero, 1.0, flexible, 0, nullptr), 0);
    keep(r);
    ASSERT_EQ(kalot_add_refincadmodel(parent, r), 0);
  }

  void* component(const char* path, void* top) {
    void* c = nullptr;
    EXPECT_EQ(kalot_create_assemcomp_fromstr(&c, path, top), 0);
    return keep(c);
  }

  void mate(void* assembly, const char* name, const char* path1, const char* path2, const Mate& m) {
    void* c = nullptr;
    ASSERT_EQ(kalot_create_constrain(&c, name, m.type, component(path1, assembly), component(path2, assembly),
                                     m.geom1, m.geom2, kZero, m.axis1, m.location2, m.axis2),
              0);
    keep(c);
    ASSERT_EQ(kalot_add_constrain(assembly, c), 0);
  }

  void* converter(void* top) {
    void* h = nullptr;
    EXPECT_EQ(kalot_create_cad2zolt(&h, top, "test", "memory.asm", "2026-12-08", "tester", "Top"), 0);
    return keep(h);
  }

  int write(void* conv, const std::string& file) {
    char* messages = nullptr;
    const int rc = kalot_write_xml(&messages, conv, (dir + "/" + file).c_str());
    kalot_release_buffer(&messages);
    return rc;
  }

  static std::string notesOf(void* conv) {
    char* notes = nullptr;
    EXPECT_EQ(kalot_get_conversion_notes(&notes, conv), 0);
    std::string text = notes ? notes : "<null>";
    kalot_release_buffer(&notes);
    return text;
  }

  std::string dir;
  std::vector<void*> handles;
};

/// Primitive kinds of the joint between parts A and B, counted, and its joint type.
struct JointMade {
  std::map<int, int> primitives;
  int type = -1;
};

JointMade jointBetweenAAndB(const std::string& file) {
  KalotError error = KALOT_SUCCESS;
  auto m = ZoltModel::readFromXML(&error, file, MechanismSimplifier::None);
  JointMade made;
  if (!m) return made;
  const Subsystem& top = *m->getTopSubsystem();
  for (size_t i = 0; i < top.getJointCount(); ++i) {
    const auto j = top.getJointAt(i);
    if (j->getName() != "A--B") continue;
    made.type = j->getType();
    for (size_t k = 0; k < j->getPrimitiveCount(); ++k) ++made.primitives[j->getPrimitiveAt(k)->getType()];
  }
  return made;
}

}  // namespace

// Each row of the header's mate table, built through the interface with its
// constants, gives the joint the table promises (what the mates leave free).
TEST_F(PluginGuidanceTest, MateTableOfTheHeaderHolds) {
  const double kAway[3] = {0, 0, 1};
  struct Row {
    const char* what;
    std::vector<Mate> mates;
    std::map<int, int> primitives;
  };
  const int P = KALOT_PRIM_PRISMATIC, R = KALOT_PRIM_REVOLUTE, S = KALOT_PRIM_SPHERICAL, W = KALOT_PRIM_WELD;
  const std::vector<Row> rows = {
      {"coincident points",
       {{KALOT_CONSTRAIN_COINCIDENT, KALOT_GEOM_POINT, KALOT_GEOM_POINT, kZ, kZ, kZero}},
       {{S, 1}}},
      {"coincident planes",
       {{KALOT_CONSTRAIN_COINCIDENT, KALOT_GEOM_PLANE, KALOT_GEOM_PLANE, kZ, kZ, kZero}},
       {{P, 2}, {R, 1}}},
      {"coincident lines",
       {{KALOT_CONSTRAIN_COINCIDENT, KALOT_GEOM_LINE, KALOT_GEOM_LINE, kZ, kZ, kZero}},
       {{P, 1}, {R, 1}}},
      {"concentric cylinders",
       {{KALOT_CONSTRAIN_CONCENTRIC, KALOT_GEOM_CYLINDER, KALOT_GEOM_CYLINDER, kZ, kZ, kZero}},
       {{P, 1}, {R, 1}}},
      {"concentric cylinders and coincident planes",
       {{KALOT_CONSTRAIN_CONCENTRIC, KALOT_GEOM_CYLINDER, KALOT_GEOM_CYLINDER, kZ, kZ, kZero},
        {KALOT_CONSTRAIN_COINCIDENT, KALOT_GEOM_PLANE, KALOT_GEOM_PLANE, kZ, kZ, kZero}},
       {{R, 1}}},
      {"coincident circles",
       {{KALOT_CONSTRAIN_COINCIDENT, KALOT_GEOM_CIRCLE, KALOT_GEOM_CIRCLE, kZ, kZ, kZero}},
       {{R, 1}}},
      {"coincident lines and parallel planes",
       {{KALOT_CONSTRAIN_COINCIDENT, KALOT_GEOM_LINE, KALOT_GEOM_LINE, kZ, kZ, kZero},
        {KALOT_CONSTRAIN_PARALLEL, KALOT_GEOM_PLANE, KALOT_GEOM_PLANE, kX, kX, kZero}},
       {{P, 1}}},
      {"distance between points",
       {{KALOT_CONSTRAIN_DISTANCE, KALOT_GEOM_POINT, KALOT_GEOM_POINT, kZ, kZ, kAway}},
       {{S, 2}}},
      {"lock", {{KALOT_CONSTRAIN_LOCK, KALOT_GEOM_PLANE, KALOT_GEOM_LINE, kZ, kX, kZero}}, {{W, 1}}},
  };
  int n = 0;
  for (const Row& row : rows) {
    void* top = model("Top");
    place(top, "A", model("ADef"));
    place(top, "B", model("BDef"));
    for (const Mate& m : row.mates) mate(top, "M", "A", "B", m);
    const std::string file = "row" + std::to_string(n++) + ".xml";
    EXPECT_EQ(write(converter(top), file), KALOT_SUCCESS) << row.what;
    const JointMade made = jointBetweenAAndB(dir + "/" + file);
    EXPECT_EQ(made.primitives, row.primitives) << row.what;
    if (row.mates[0].type == KALOT_CONSTRAIN_DISTANCE) {
      EXPECT_EQ(made.type, KALOT_JOINT_MASSLESS_CONNECTOR) << row.what;
    }
  }

  // Two free rotations: no single joint, so the pair is welded and explained.
  void* top = model("Top");
  place(top, "A", model("ADef"));
  place(top, "B", model("BDef"));
  mate(top, "M", "A", "B", {KALOT_CONSTRAIN_COINCIDENT, KALOT_GEOM_LINE, KALOT_GEOM_PLANE, kZ, kX, kZero});
  EXPECT_EQ(write(converter(top), "welded.xml"), KALOT_UNHANDLED_CONSTRAINT);
  EXPECT_EQ(jointBetweenAAndB(dir + "/welded.xml").primitives, (std::map<int, int>{{W, 1}}));
}

TEST_F(PluginGuidanceTest, NegativeAmountsAndUnknownLengthsAreRefused) {
  struct Case {
    double mass, volume, area;
  };
  for (const Case& c : {Case{-1, 0, 0}, Case{0, -1e-9, 0}, Case{0, 0, -2}}) {
    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(kalot_create_cadmodel(&out, "P", c.mass, kInertia, kZero, c.volume, c.area, "", nullptr), 1);
    EXPECT_EQ(out, nullptr);
  }
  void* zero = nullptr;
  EXPECT_EQ(kalot_create_cadmodel(&zero, "Massless", 0, kInertia, kZero, 0, 0, "", nullptr), 0)
      << "zero is a value, not a mistake";
  keep(zero);

  ASSERT_EQ(kalot_set_units(KALOT_MASS_G, KALOT_LENGTH_MM), 0);
  for (int length : {-1, 8, 1000}) {
    EXPECT_EQ(kalot_set_units(KALOT_MASS_KG, static_cast<KalotLengthUnit>(length)), 1) << length;
    EXPECT_EQ(s_getDefaultCadUnit()->massUnit, KALOT_MASS_G) << "nothing stored";
    EXPECT_EQ(s_getDefaultCadUnit()->lengthUnit, KALOT_LENGTH_MM) << "nothing stored";
  }
  // A mass outside its enumeration keeps its documented result (6) and is stored.
  EXPECT_EQ(kalot_set_units(static_cast<KalotMassUnit>(9), KALOT_LENGTH_M), KALOT_UNSUPPORTED_INERTIA_UNITS);
  EXPECT_EQ(kalot_set_units(KALOT_MASS_KG, KALOT_LENGTH_M), 0);
}

TEST_F(PluginGuidanceTest, EmptyComponentsAreVisible) {
  void* top = model("Top");
  place(top, "A", model("ADef"));
  int empty = -1;
  EXPECT_EQ(kalot_assemcomp_is_empty(component("A", top), &empty), 0);
  EXPECT_EQ(empty, 0);
  EXPECT_EQ(kalot_assemcomp_is_empty(component("a", top), &empty), 0) << "paths match exactly";
  EXPECT_EQ(empty, 1);
  void* bare = nullptr;
  ASSERT_EQ(kalot_create_assemcomp(&bare), 0);
  keep(bare);
  EXPECT_EQ(kalot_assemcomp_is_empty(bare, &empty), 0);
  EXPECT_EQ(empty, 1) << "a component without references names no part";
  EXPECT_EQ(kalot_assemcomp_is_empty(nullptr, &empty), 0);
  EXPECT_EQ(empty, 1);
  EXPECT_EQ(kalot_assemcomp_is_empty(component("A", top), nullptr), 1);
  EXPECT_EQ(kalot_assemcomp_is_empty(top, &empty), 1) << "a definition is no component";
}

TEST_F(PluginGuidanceTest, NotesNameSidesTakenAgainstTheAssemblyAndUnknownCodes) {
  void* top = model("Top");
  void* sub = model("Sub");
  place(top, "A", model("ADef"));
  place(top, "B", model("BDef"));
  place(top, "S", sub, 1);
  place(sub, "C", model("CDef"));
  place(sub, "D", model("DDef"));
  const Mate planes{KALOT_CONSTRAIN_COINCIDENT, KALOT_GEOM_PLANE, KALOT_GEOM_PLANE, kZ, kZ, kZero};
  mate(top, "Clean", "A", "B", planes);
  mate(top, "Typo", "A", "Bee", planes);   // unknown path: side 2 empty
  mate(sub, "Inner", "Cee", "D", planes);  // stated inside the flexible sub-assembly
  void* conv = converter(top);
  EXPECT_EQ(notesOf(conv), "") << "nothing converted yet";
  EXPECT_EQ(write(conv, "typo.xml"), KALOT_SUCCESS) << "an empty side keeps its documented result";
  EXPECT_EQ(
      notesOf(conv),
      "Constraint \"Inner\" in assembly \"S\": side 1 names no part; it was taken against the frame of "
      "assembly \"S\".\n"
      "Constraint \"Typo\" in assembly \"Top\": side 2 names no part; it was taken against the frame of "
      "assembly \"Top\".\n");

  void* top2 = model("Top");
  place(top2, "A", model("ADef"));
  place(top2, "B", model("BDef"));
  mate(top2, "Odd", "A", "B", {9, KALOT_GEOM_PLANE, 6, kZ, kZ, kZero});
  void* conv2 = converter(top2);
  EXPECT_EQ(write(conv2, "odd.xml"), KALOT_UNHANDLED_CONSTRAINT) << "unknown codes are passed through";
  EXPECT_EQ(
      notesOf(conv2),
      "Constraint \"Odd\" in assembly \"Top\": constraint type 9 is not one the inference knows (0 to 7); "
      "the pair it ties is welded.\n"
      "Constraint \"Odd\" in assembly \"Top\": geometry type 6 of side 2 is not one the inference knows "
      "(0 to 5); the pair it ties is welded.\n");

  char* notes = reinterpret_cast<char*>(0x1);
  EXPECT_EQ(kalot_get_conversion_notes(&notes, top), 1) << "a definition is no converter";
  EXPECT_EQ(notes, nullptr);
  EXPECT_EQ(kalot_get_conversion_notes(nullptr, conv), 1);
}

TEST_F(PluginGuidanceTest, DescribedAssemblySavesAsCadXml) {
  void* top = model("Top");
  place(top, "A", model("ADef"));
  place(top, "B", model("BDef"));
  mate(top, "Hinge", "A", "B",
       {KALOT_CONSTRAIN_CONCENTRIC, KALOT_GEOM_CYLINDER, KALOT_GEOM_CYLINDER, kZ, kZ, kZero});
  const std::string file = dir + "/top.cad.xml";
  ASSERT_EQ(kalot_write_cad_xml(top, file.c_str()), 0);
  KalotError error = KALOT_GENERIC_FAILURE;
  auto back = CadModel::readContentFromXML(&error, file);
  ASSERT_TRUE(back);
  EXPECT_EQ(error, KALOT_SUCCESS);
  EXPECT_EQ(back->getName(), "Top");
  ASSERT_EQ(back->getChildModelCount(), 2u);
  EXPECT_EQ(back->getChildModelAt(1)->getCadModel()->getName(), "BDef");
  ASSERT_EQ(back->getConstrainCount(), 1u);
  EXPECT_EQ(back->getConstrainAt(0)->getType(), KALOT_CONSTRAIN_CONCENTRIC);
  EXPECT_EQ(back->getConstrainAt(0)->getComp2()->getName(), "B");

  EXPECT_EQ(kalot_write_cad_xml(top, (dir + "/missing/top.cad.xml").c_str()), KALOT_XML_READ_ERROR)
      << "3: could not be written";
  EXPECT_EQ(kalot_write_cad_xml(top, nullptr), 1);
  EXPECT_EQ(kalot_write_cad_xml(component("A", top), file.c_str()), 1) << "a component is no definition";
  EXPECT_EQ(kalot_write_cad_xml(nullptr, file.c_str()), 1);
}
