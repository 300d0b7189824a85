// The settings file reader: the schema, errors that point at the key, and
// how names and patterns pick the settings of a joint.

#include <cstdio>
#include <fstream>

#include <gtest/gtest.h>

#include <kalo_toolkit/sim_settings.hpp>

namespace kalo_toolkit {
namespace sim {
namespace {

std::string parseError(const std::string& text) {
  SimSettings s;
  std::string error;
  EXPECT_FALSE(parseSimSettings(text, "s.json", &s, &error)) << text;
  return error;
}

TEST(SimSettings, ReadsEveryJointFieldAndKeepsFileOrder) {
  const std::string text = R"({
  // the arm's shoulder
  "joints": {
    "Leg*.knee": {"range": [-2, 0.5], "actuator": "velocity", "armature": 0.01},
    "Shoulder": {"range": [-1.5, 1.5], "effort": 40, "velocity": 3, "actuator": "motor",
                 "kp": 100, "kd": 2, "armature": 0, "frictionloss": 0.1, "home": 0.3}
  },
  /* sections of STEP import */
  "ground": "Base-1", "pairs": [{"a": 1}, {"a": 2}], "fasteners": ["bolt*"], "density": {"*": 7800},
  "mass": {}, "tolerances": {"clearance": 0.1}
})";
  SimSettings s;
  std::string error;
  ASSERT_TRUE(parseSimSettings(text, "s.json", &s, &error)) << error;
  ASSERT_EQ(s.joints.size(), 2u);
  EXPECT_EQ(s.joints[0].key, "Leg*.knee");
  EXPECT_EQ(s.joints[0].line, 4);
  EXPECT_EQ(s.joints[0].column, 5);
  EXPECT_EQ(s.joints[0].actuator, Actuators::Velocity);
  const JointSettings& j = s.joints[1];
  EXPECT_TRUE(j.hasRange);
  EXPECT_EQ(j.lower, -1.5);
  EXPECT_EQ(j.upper, 1.5);
  EXPECT_EQ(j.effort, 40.0);
  EXPECT_EQ(j.velocity, 3.0);
  EXPECT_EQ(j.actuator, Actuators::Motor);
  EXPECT_EQ(j.kp, 100.0);
  EXPECT_EQ(j.kd, 2.0);
  EXPECT_EQ(j.armature, 0.0);
  EXPECT_EQ(j.frictionloss, 0.1);
  EXPECT_EQ(j.home, 0.3);
}

TEST(SimSettings, ErrorsNameTheKeyAndWhereItStands) {
  struct Case {
    const char* text;
    std::vector<const char*> wanted;
  };
  const Case cases[] = {
      {"{\"joints\": {}, \"colour\": 1}", {"line 1, column 16", "'colour'", "unknown key"}},
      {"{\"joints\": {\"A\": {\"rnage\": [0, 1]}}}",
       {"line 1, column 19", "'joints' > 'A' > 'rnage'", "unknown key"}},
      {"{\"joints\": {\n  \"A\": {\"kp\": \"high\"}}}", {"line 2, column 9", "'kp'", "not string"}},
      {"{\"joints\": {\"A\": {\"range\": [1, -1]}}}", {"'range'", "is empty"}},
      {"{\"joints\": {\"A\": {\"range\": [0, 0]}}}", {"'range'", "is empty"}},
      {"{\"joints\": {\"A\": {\"range\": [0]}}}", {"'range'", "[lower, upper]"}},
      {"{\"joints\": {\"A\": {\"range\": [0, \"1\"]}}}", {"'range'", "numbers"}},
      {"{\"joints\": {\"A\": {\"effort\": 0}}}", {"'effort'", "positive"}},
      {"{\"joints\": {\"A\": {\"kd\": -1}}}", {"'kd'", "at least 0"}},
      {"{\"joints\": {\"A\": {\"actuator\": \"servo\"}}}", {"'actuator'", "\"position\""}},
      {"{\"joints\": {\"A\": {\"home\": 2, \"range\": [0, 1]}}}", {"'home'", "outside the range"}},
      {"{\"joints\": {\"A\": {}, \"A\": {}}}", {"line 1, column 22", "'A' is given twice"}},
      {"{\"joints\": {\"A\": {\"kp\": 1e999}}}", {"'kp'"}},
      {"{\"joints\": []}", {"'joints'", "must be an object"}},
      {"[1, 2]", {"one JSON object"}},
      {"{\"joints\": {\"A\": {}}", {"not JSON", "line 1"}},
      {"", {"not JSON"}},
  };
  for (const Case& c : cases) {
    const std::string error = parseError(c.text);
    EXPECT_EQ(error.rfind("s.json", 0), 0u) << error;
    for (const char* w : c.wanted) EXPECT_NE(error.find(w), std::string::npos) << c.text << "\n -> " << error;
  }
}

TEST(SimSettings, FileReaderNamesTheFile) {
  SimSettings s;
  std::string error;
  EXPECT_FALSE(readSimSettingsFile("/nonexistent/settings.json", &s, &error));
  EXPECT_NE(error.find("'/nonexistent/settings.json'"), std::string::npos) << error;
  const std::string path = ::testing::TempDir() + "kalo_settings_test.json";
  std::ofstream(path) << "{\"joints\": {\"A\": {\"kp\": true}}}";
  EXPECT_FALSE(readSimSettingsFile(path, &s, &error));
  EXPECT_NE(error.find("'" + path + "', line 1, column 19: 'joints' > 'A' > 'kp'"), std::string::npos)
      << error;
  std::remove(path.c_str());
}

TEST(SimSettings, PatternsMatchWholeNames) {
  EXPECT_TRUE(matchJointPattern("Leg*.knee", "LegFrontLeft.knee"));
  EXPECT_TRUE(matchJointPattern("Leg*.knee", "Leg.knee"));
  EXPECT_FALSE(matchJointPattern("Leg*.knee", "LegFrontLeft.knee2"));
  EXPECT_FALSE(matchJointPattern("Leg*.knee", "Arm.Leg1.knee"));
  EXPECT_TRUE(matchJointPattern("*", ""));
  EXPECT_TRUE(matchJointPattern("a?c", "abc"));
  EXPECT_FALSE(matchJointPattern("a?c", "ac"));
  EXPECT_TRUE(matchJointPattern("*a*a*a*a*b", std::string(40, 'a') + "b"));
  EXPECT_FALSE(matchJointPattern("*a*a*a*a*b", std::string(4000, 'a')));
  EXPECT_TRUE(isJointPattern("Leg?"));
  EXPECT_FALSE(isJointPattern("Leg.knee"));
}

TEST(SimSettings, ExactNamesOverridePatternsAndLaterPatternsEarlierOnes) {
  SimSettings s;
  std::string error;
  ASSERT_TRUE(parseSimSettings(R"({"joints": {
      "Arm.elbow": {"kp": 3},
      "Arm.*": {"kp": 1, "effort": 5, "range": [-1, 1]},
      "*.elbow": {"kp": 2, "home": 0.5}}})",
                               "s", &s, &error))
      << error;
  const JointSettings elbow = jointSettingsFor(s, {"Arm.elbow"});
  EXPECT_EQ(elbow.kp, 3.0);
  EXPECT_EQ(elbow.effort, 5.0);
  EXPECT_EQ(elbow.home, 0.5);
  EXPECT_TRUE(elbow.hasRange);
  const JointSettings wrist = jointSettingsFor(s, {"Arm.wrist"});
  EXPECT_EQ(wrist.kp, 1.0);
  EXPECT_FALSE(wrist.home.has_value());
  // A joint's settings reach its freedoms by the joint's name.
  EXPECT_EQ(jointSettingsFor(s, {"Arm.elbow", "Arm.elbow.hinge2"}).kp, 3.0);
  EXPECT_TRUE(jointSettingsFor(s, {"Base.waist"}).key.empty());
}

TEST(SimSettings, KeysMustNameJointsOfTheModel) {
  SimSettings s;
  std::string error;
  ASSERT_TRUE(parseSimSettings("{\"joints\": {\"Leg*.knee\": {}, \"Shouldr\": {}}}", "s", &s, &error));
  const std::vector<std::string> known{"Base--Turret", "Shoulder", "LegA.knee", "Elbow"};
  EXPECT_FALSE(checkJointKeys(s, known, &error));
  EXPECT_NE(error.find("s, line 1, column 30: 'joints' > 'Shouldr': no joint of the model has this name "
                       "(closest: 'Shoulder', "),
            std::string::npos)
      << error;
  ASSERT_TRUE(parseSimSettings("{\"joints\": {\"Arm*\": {}}}", "s", &s, &error));
  EXPECT_FALSE(checkJointKeys(s, known, &error));
  EXPECT_NE(error.find("'Arm*': the pattern matches no joint"), std::string::npos) << error;
  ASSERT_TRUE(parseSimSettings("{\"joints\": {\"Leg*\": {}, \"Elbow\": {}}}", "s", &s, &error));
  EXPECT_TRUE(checkJointKeys(s, known, &error)) << error;
}

}  // namespace
}  // namespace sim
}  // namespace kalo_toolkit
