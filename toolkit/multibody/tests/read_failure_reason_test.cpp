// A multibody file that cannot be read is refused with code 3 and a reason
// naming where and why: the parser's line and column, or the element and the
// rule it breaks with the element's position, or the system's reason.

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include <kalo_toolkit/cad_model.hpp>
#include <kalo_toolkit/zolt_model.hpp>

using namespace kalo_toolkit;

namespace {

const std::string kData = std::string(KALO_TEST_DATA_DIR) + "/";

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Line and column (both from 1) of the character at `offset`.
std::string positionAt(const std::string& text, size_t offset) {
  size_t line = 1, lineStart = 0;
  for (size_t i = 0; i < offset; ++i)
    if (text[i] == '\n') ++line, lineStart = i + 1;
  return "line " + std::to_string(line) + ", column " + std::to_string(offset - lineStart + 1) + ": ";
}

class ReadFailureReasonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "kalo_read_reason_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
    good = slurp(kData + "export/slider.xml");
    ASSERT_NE(good.find("<mass>2</mass>"), std::string::npos);
  }
  void TearDown() override { ASSERT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0); }

  // Reads `text` as a file: the reason, or "read" when it was read.
  std::string reasonFor(const std::string& text) {
    const std::string path = dir + "/model.xml";
    std::ofstream(path, std::ios::binary) << text;
    return reasonForFile(path);
  }
  static std::string reasonForFile(const std::string& path) {
    KalotError error = KALOT_SUCCESS;
    std::string reason = "untouched";
    const auto model = ZoltModel::readFromXML(&error, path, MechanismSimplifier::None, &reason);
    if (model) return "read";
    EXPECT_EQ(error, KALOT_XML_READ_ERROR);
    return reason;
  }

  // The good file with the first `what` replaced by `with`.
  std::string replaced(const std::string& what, const std::string& with) const {
    std::string text = good;
    text.replace(text.find(what), what.size(), with);
    return text;
  }

  std::string dir;
  std::string good;
};

}  // namespace

// Values no model may hold are refused at their element: its start tag ends where the value begins.
TEST_F(ReadFailureReasonTest, BadNumbersNameTheElementAndItsPosition) {
  EXPECT_EQ(reasonFor(good), "read");
  for (const char* bad : {"nan", "inf", "-inf", "1e309", "kg"}) {
    const std::string text = replaced("<mass>2</mass>", std::string("<mass>") + bad + "</mass>");
    const size_t value = text.find("<mass>") + 6;
    EXPECT_EQ(reasonFor(text), positionAt(text, value) + "Error reading mass for body : B") << bad;
  }
  const std::string axis = replaced("<axis>0,0,1</axis>", "<axis>0,nan,1</axis>");
  EXPECT_EQ(reasonFor(axis),
            positionAt(axis, axis.find("<axis>") + 6) + "Error reading axis for primitive : prismatic");
  const std::string frame = replaced("<Frame ref=\"1\">", "<Frame ref=\"one\">");
  EXPECT_EQ(reasonFor(frame), positionAt(frame, frame.find("<Frame ref=\"one\">") + 17) +
                                  "Error reading id value for frame: F");
}

// Files the parser refuses: the reason carries the parser's position of the fault.
TEST_F(ReadFailureReasonTest, MalformedFilesNameTheParsersPosition) {
  // A control character: refused on its line.
  const std::string control = replaced("<name>\"B\"</name>", std::string("<name>\"B\x01\"</name>"));
  const std::string where = positionAt(control, control.find('\x01'));
  std::string reason = reasonFor(control);
  EXPECT_EQ(reason.rfind(where.substr(0, where.find(',') + 1), 0), 0u) << reason << " expected " << where;

  // Bytes that are not UTF-8, a truncated file and an empty one: positioned parser messages.
  const std::string latin1 = replaced("\"b.stl\"", "\"b\xE9\xE9.stl\"");
  const std::string truncated = good.substr(0, good.find("<joints>") + 12);
  const size_t truncatedLines = std::count(truncated.begin(), truncated.end(), '\n') + 1;
  for (const std::string* text : {&latin1, &truncated}) {
    reason = reasonFor(*text);
    EXPECT_EQ(reason.rfind("line ", 0), 0u) << reason;
    EXPECT_NE(reason.find(", column "), std::string::npos) << reason;
    EXPECT_GT(reason.size(), reason.find(": ") + 2) << "no message after the position: " << reason;
  }
  EXPECT_EQ(reasonFor(truncated).rfind("line " + std::to_string(truncatedLines) + ",", 0), 0u)
      << reasonFor(truncated);
  reason = reasonFor("");
  EXPECT_EQ(reason.rfind("line 1, column 1: ", 0), 0u) << reason;

  // A document type declaration is refused where it is declared.
  const std::string doctype = "<?xml version=\"1.0\"?>\n<!DOCTYPE OmbraXMLFile>\n<OmbraXMLFile/>\n";
  reason = reasonFor(doctype);
  EXPECT_EQ(reason.rfind("line 2, ", 0), 0u) << reason;
}

// Subsystems nested beyond the reader's limit: the rule and the subsystem too deep.
TEST_F(ReadFailureReasonTest, TooDeepNestingNamesTheRuleAndWhere) {
  std::string nested;
  for (int i = 0; i < 300; ++i) nested += "<Subsystem><name>\"S\"</name><subsystems>\n";
  for (int i = 0; i < 300; ++i) nested += "</subsystems></Subsystem>";
  const std::string text = replaced("<subsystems></subsystems>", "<subsystems>" + nested + "</subsystems>");
  // The top is level 0; the 257th nested subsystem is the first beyond the limit of 256 levels.
  size_t at = text.find("<subsystems><Subsystem>") + 12;
  for (int i = 1; i < 257; ++i) at = text.find("<Subsystem>", at + 1);
  EXPECT_EQ(reasonFor(text), positionAt(text, at + 11) + "Subsystems are nested too deeply.");
}

// A file that cannot be opened or read: the system's reason.
TEST_F(ReadFailureReasonTest, UnreadableFilesGiveTheSystemsReason) {
  EXPECT_EQ(reasonForFile(dir + "/no_such.xml"), "No such file or directory");
  EXPECT_EQ(reasonForFile(dir), "Is a directory");
  // Without the reason parameter the result is the same code.
  KalotError error = KALOT_SUCCESS;
  EXPECT_FALSE(ZoltModel::readFromXML(&error, dir + "/no_such.xml", MechanismSimplifier::None));
  EXPECT_EQ(error, KALOT_XML_READ_ERROR);
}

// The CAD content reader hands out the parser's position and the system's reason the same way.
TEST_F(ReadFailureReasonTest, CadReaderGivesReasonsToo) {
  const std::string cad = slurp(kData + "cad/small_assembly.xml");
  ASSERT_FALSE(cad.empty());
  const std::string path = dir + "/cad.xml";
  const std::string truncated = cad.substr(0, cad.size() / 2);
  std::ofstream(path, std::ios::binary) << truncated;
  KalotError error = KALOT_SUCCESS;
  std::string reason;
  EXPECT_FALSE(CadModel::readContentFromXML(&error, path, &reason));
  EXPECT_EQ(error, KALOT_XML_READ_ERROR);
  const size_t lines = std::count(truncated.begin(), truncated.end(), '\n') + 1;
  EXPECT_EQ(reason.rfind("line " + std::to_string(lines) + ", column ", 0), 0u) << reason;
  EXPECT_FALSE(CadModel::readContentFromXML(&error, dir + "/none.xml", &reason));
  EXPECT_EQ(reason, "No such file or directory");
}
