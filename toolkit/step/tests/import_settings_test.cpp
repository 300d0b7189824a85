// The STEP import's sections of the project settings file.

#include <string>

#include <gtest/gtest.h>

#include <kalo_step/import_settings.hpp>

namespace kalo_step {
namespace {

TEST(ImportSettings, EverySectionIsRead) {
  ImportSettings s;
  std::string error;
  ASSERT_TRUE(parseImportSettings(R"json({
      "joints": {"anything": {"the export": "reads this"}},
      "ground": "Base",
      "pairs": [{"parts": ["Base", "Sub/Arm"], "joint": "revolute"},
                {"parts": ["Base", "Bolt"], "joint": "ignore", "note": "loose"}],
      "fasteners": ["rivet", "*clip*"],
      "density": {"*plastic*": 1200, "default": 2700, "Arm": 7800},
      "mass": {"Knob": 0.05},
      "tolerances": {"clearance": 0.0002, "distance": 1e-7, "angle": 1e-4}
    })json",
                                  &s, &error))
      << error;
  EXPECT_EQ(s.ground, "Base");
  ASSERT_EQ(s.pairs.size(), 2u);
  EXPECT_EQ(s.pairs[0].second, "Sub/Arm");
  EXPECT_EQ(s.pairs[0].joint, PairJoint::Revolute);
  EXPECT_EQ(s.pairs[1].joint, PairJoint::Ignore);
  EXPECT_EQ(s.fasteners, (std::vector<std::string>{"rivet", "*clip*"}));
  EXPECT_EQ(s.defaultDensity, 2700);
  // File order is kept: the first matching pattern wins.
  ASSERT_EQ(s.densities.size(), 2u);
  EXPECT_EQ(s.densities[0].first, "*plastic*");
  EXPECT_EQ(s.densities[1].first, "Arm");
  EXPECT_EQ(s.masses.at(0).second, 0.05);
  EXPECT_EQ(s.clearance, 0.0002);
  EXPECT_EQ(s.distance, 1e-7);
  EXPECT_EQ(s.angle, 1e-4);
}

TEST(ImportSettings, ErrorsNameTheKeyAndLeaveTheSettingsAlone) {
  const std::pair<const char*, const char*> cases[] = {
      {R"({"grond": "Base"})",
       "settings: /grond: unknown key \"grond\" (joints, ground, pairs, fasteners, density, mass, "
       "tolerances)"},
      {R"({"ground": 3})", "settings: /ground: expected a text"},
      {R"({"pairs": [{"parts": ["A", "B"], "joint": "hinge"}]})",
       "settings: /pairs/0/joint: \"hinge\" is not one of fixed, ignore, revolute, prismatic, cylindrical, "
       "ball"},
      {R"({"pairs": [{"parts": ["A", "B"], "joint": "ball"}, {"parts": ["A"], "joint": "ball"}]})",
       "settings: /pairs/1/parts: expected two instance paths"},
      {R"({"pairs": [{"parts": ["A", "B"]}]})", "settings: /pairs/0: missing key \"joint\""},
      {R"({"pairs": [{"parts": ["A", "B"], "joint": "fixed", "why": 1}]})",
       "settings: /pairs/0/why: unknown key \"why\" (parts, joint, note)"},
      {R"({"density": {"Arm": -1}})", "settings: /density/Arm: expected a positive number (kg/m^3)"},
      {R"({"density": {"a/b": "heavy"}})", "settings: /density/a~1b: expected a number (kg/m^3)"},
      {R"({"mass": {"default": 1}})",
       "settings: /mass/default: no default here: masses not given come from densities"},
      {R"({"tolerances": {"angle": 0}})", "settings: /tolerances/angle: expected a positive number (rad)"},
      {R"({"tolerances": {"clearance": -1}})",
       "settings: /tolerances/clearance: expected a non-negative number (m)"},
      {R"({"fasteners": "bolt"})", "settings: /fasteners: expected a list of name patterns"},
      {R"([1, 2])", "settings: /: expected an object of sections"},
  };
  for (const auto& [text, want] : cases) {
    ImportSettings s;
    std::string error;
    EXPECT_FALSE(parseImportSettings(text, &s, &error)) << text;
    EXPECT_EQ(error, want) << text;
    EXPECT_EQ(s.fasteners.size(), 5u) << text;  // unchanged
    EXPECT_TRUE(s.pairs.empty()) << text;
  }
  // Syntax errors give the byte where reading stopped.
  ImportSettings s;
  std::string error;
  EXPECT_FALSE(parseImportSettings("{\"ground\": \"Base\",}", &s, &error));
  EXPECT_EQ(error.rfind("settings: not JSON at byte 19: ", 0), 0u) << error;
  // Comments are allowed, as in the export's "joints" of the same file.
  EXPECT_TRUE(parseImportSettings("{\n  // the table\n  \"ground\": \"Base\" /* fixed */\n}", &s, &error))
      << error;
  EXPECT_EQ(s.ground, "Base");
  EXPECT_FALSE(readImportSettings("/nonexistent/kalo.json", &s, &error));
  EXPECT_EQ(error, "cannot open the settings file '/nonexistent/kalo.json'");
}

TEST(ImportSettings, NamePatternsMatchWordsOrWholeNames) {
  EXPECT_TRUE(namePatternMatches("bolt", "M5 Bolt"));
  EXPECT_TRUE(namePatternMatches("bolt", "hex_bolt-2"));
  EXPECT_TRUE(namePatternMatches("bolt", "HexBolt"));
  EXPECT_TRUE(namePatternMatches("pin", "Pin"));
  EXPECT_FALSE(namePatternMatches("pin", "Spindle"));
  EXPECT_FALSE(namePatternMatches("nut", "Minute"));
  EXPECT_FALSE(namePatternMatches("nut", "Nutcracker"));
  EXPECT_TRUE(namePatternMatches("*nut*", "Nutcracker"));
  EXPECT_TRUE(namePatternMatches("arm?", "ARM2"));
  EXPECT_FALSE(namePatternMatches("arm?", "Arm"));
  EXPECT_TRUE(namePatternMatches("*", ""));
  EXPECT_FALSE(namePatternMatches("a*b*c", "aXbXd"));
}

}  // namespace
}  // namespace kalo_step
