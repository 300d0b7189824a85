// The round-trip comparison of the fuzz targets: it must accept exactly the movements of numbers the
// formats document, so that a fuzz run never fails on documented behaviour and still fails on a fault.
// The expected texts were computed apart from the library (correctly rounded %.6g of the normalised
// vector in double precision).

#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include <kalo_toolkit/mechanism_simplifier.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "round_trip_compare.hpp"

using kalo_fuzz::keptAsWritten;
using kalo_fuzz::multibodyRead;
using kalo_fuzz::roundTripDifference;

namespace {

std::string element(const std::string& tag, const std::string& text) {
  return "    <" + tag + ">" + text + "</" + tag + ">\n";
}

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void spill(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Every ref attribute one higher: what the multibody reader does to frame ids.
std::string shiftRefs(const std::string& text) {
  static const std::regex ref("ref=\"(-?[0-9]+)\"");
  std::string out;
  size_t last = 0;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), ref); it != std::sregex_iterator(); ++it) {
    out.append(text, last, static_cast<size_t>(it->position()) - last);
    out += "ref=\"" + std::to_string(std::stoll((*it)[1].str()) + 1) + "\"";
    last = static_cast<size_t>(it->position() + it->length());
  }
  return out.append(text, last, std::string::npos);
}

std::string replaceLine(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

}  // namespace

TEST(RoundTripCompare, AxisMayMoveOnlyAsItsNormalisationGives) {
  const std::string first = element("axis", "-0.285488,-0.914874,-0.285488");
  // The reported case: normalising the six-digit text moves the last digit once.
  EXPECT_EQ(roundTripDifference(first, element("axis", "-0.285488,-0.914873,-0.285488"), multibodyRead), "");
  EXPECT_NE(roundTripDifference(first, element("axis", "-0.285488,-0.914873,-0.285488"), keptAsWritten), "");
  // Two units, a changed neighbour or a lost component are faults.
  EXPECT_NE(roundTripDifference(first, element("axis", "-0.285488,-0.914872,-0.285488"), multibodyRead), "");
  EXPECT_NE(roundTripDifference(first, element("axis", "-0.285489,-0.914873,-0.285488"), multibodyRead), "");
  EXPECT_NE(roundTripDifference(first, element("axis", "-0.285488,-0.914873"), multibodyRead), "");
  // A direction only just longer than 1e-6 in its text becomes a unit vector on reading.
  const std::string tiny = element("axis", "5.77351e-07,5.77351e-07,5.77351e-07");
  EXPECT_EQ(roundTripDifference(tiny, element("axis", "0.57735,0.57735,0.57735"), multibodyRead), "");
  EXPECT_NE(roundTripDifference(tiny, tiny, multibodyRead), "");
  // One of at most 1e-6 stays as it is.
  const std::string shortAxis = element("axis", "5.7735e-07,5.7735e-07,5.7735e-07");
  EXPECT_EQ(roundTripDifference(shortAxis, shortAxis, multibodyRead), "");
  // Other elements are not recomputed by the multibody reader.
  EXPECT_NE(roundTripDifference(element("position", "-0.285488,-0.914874,-0.285488"),
                                element("position", "-0.285488,-0.914873,-0.285488"), multibodyRead),
            "");
}

TEST(RoundTripCompare, ArrayValueMayBeCleanedOnlyAtTheLimit) {
  // 590.752580519503 and 5.907527709600027e-10 are written as below; read back, the second is under
  // 1e-12 times the first and is written as 0.
  const std::string first = element("position", "590.753,5.90753e-10,0");
  for (auto read : {keptAsWritten, multibodyRead}) {
    EXPECT_EQ(roundTripDifference(first, element("position", "590.753,0,0"), read), "");
    EXPECT_EQ(roundTripDifference(first, first, read), "");
  }
  // Clearly above the limit (1.0157e-12 times the largest), the value must be kept.
  EXPECT_NE(roundTripDifference(element("position", "590.753,6e-10,0"), element("position", "590.753,0,0"),
                                keptAsWritten),
            "");
  // A single number is never cleaned.
  EXPECT_NE(roundTripDifference(element("mass", "1e-300"), element("mass", "0"), keptAsWritten), "");
}

TEST(RoundTripCompare, AnythingButNumbersMustBeIdentical) {
  const std::string first = "<a>\n" + element("name", "\"B\"") + element("position", "1,2,3") + "</a>\n";
  EXPECT_EQ(roundTripDifference(first, first, keptAsWritten), "");
  EXPECT_NE(
      roundTripDifference(first, "<a>\n" + element("name", "\"C\"") + element("position", "1,2,3") + "</a>\n",
                          keptAsWritten),
      "");
  EXPECT_NE(roundTripDifference(first, "<a>\n" + element("position", "1,2,3") + "</a>\n", keptAsWritten), "");
  EXPECT_NE(
      roundTripDifference(first, "<a>\n" + element("name", "\"B\"") + element("place", "1,2,3") + "</a>\n",
                          keptAsWritten),
      "");
  EXPECT_NE(
      roundTripDifference(first, "<a>\n" + element("name", "\"B\"") + element("position", "1,2,x") + "</a>\n",
                          keptAsWritten),
      "");
}

// Through the real reader and writer: the file of the report reads back with its axis moved by one
// unit and an array value cleaned, which the comparison accepts; and some axes move on every cycle,
// so no property may ask for a fixed point after one read.
TEST(RoundTripCompare, MultibodyReaderMovesOnlyWhatTheComparisonAllows) {
  using namespace kalo_toolkit;
  const std::string dir = ::testing::TempDir();
  auto cycle = [&](const std::string& text, const std::string& name) {
    spill(dir + name + ".in.xml", text);
    KalotError error = KALOT_GENERIC_FAILURE;
    auto model = ZoltModel::readFromXML(&error, dir + name + ".in.xml", MechanismSimplifier::None);
    EXPECT_EQ(error, KALOT_SUCCESS);
    if (!model) return std::string();
    EXPECT_EQ(model->writeToXML(dir + name + ".out.xml"), 0);
    return slurp(dir + name + ".out.xml");
  };
  const std::string written =
      cycle(slurp(std::string(KALO_TEST_DATA_DIR) + "/multibody/minimal_model.xml"), "w");
  ASSERT_NE(written.find("<axis>0,0,1</axis>"), std::string::npos);

  std::string first =
      replaceLine(written, "<axis>0,0,1</axis>", "<axis>-0.285488,-0.914874,-0.285488</axis>");
  first = replaceLine(first, "<position>0,0,1</position>", "<position>590.753,5.90753e-10,0</position>");
  // Orientations and inertias are kept as written: neither orthonormalised nor symmetrised.
  first = replaceLine(first, "<orientation>1,0,0,0,1,0,0,0,1</orientation>",
                      "<orientation>2,0.5,0,0,1,0,0,0.333333,3</orientation>");
  first = replaceLine(first, "<inertia>1,0,0,0,1,0,0,0,1</inertia>", "<inertia>1,2,3,4,5,6,7,8,9</inertia>");
  const std::string again = cycle(first, "a");
  EXPECT_NE(again.find("<axis>-0.285488,-0.914873,-0.285488</axis>"), std::string::npos);
  EXPECT_NE(again.find("<position>590.753,0,0</position>"), std::string::npos);
  EXPECT_NE(again.find("<orientation>2,0.5,0,0,1,0,0,0.333333,3</orientation>"), std::string::npos);
  EXPECT_NE(again.find("<inertia>1,2,3,4,5,6,7,8,9</inertia>"), std::string::npos);
  EXPECT_EQ(roundTripDifference(shiftRefs(first), again, multibodyRead), "");
  EXPECT_NE(roundTripDifference(shiftRefs(first), again, keptAsWritten), "");

  std::string walk = replaceLine(written, "<axis>0,0,1</axis>", "<axis>-0.690447,0.716464,-0.0998054</axis>");
  for (const char* next : {"-0.0998055", "-0.0998056", "-0.0998057"}) {
    const std::string after = cycle(walk, "walk");
    EXPECT_NE(after.find(std::string("<axis>-0.690447,0.716464,") + next + "</axis>"), std::string::npos)
        << next;
    EXPECT_EQ(roundTripDifference(shiftRefs(walk), after, multibodyRead), "");
    walk = after;
  }
}
