#include <stdlib.h>
#include <sys/stat.h>

#include <fstream>
#include <string>

#include <gtest/gtest.h>
#include <xercesc/dom/DOM.hpp>

#include <kalo_toolkit/secure_dom_parser.hpp>
#include <kalo_toolkit/xml_helpers.hpp>
#include <kalo_toolkit/xml_session.hpp>

using namespace kalo_toolkit::util;

namespace {

class SecureDomParserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "kalo_secure_dom_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
  }
  void TearDown() override {
    const std::string command = "rm -rf '" + dir + "'";
    ASSERT_EQ(system(command.c_str()), 0);
  }

  std::string file(const std::string& name, const std::string& text) const {
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  // Name of the root element, or "" with the failure in `message`.
  static std::string rootName(SecureDomParser& parser, const std::string& path, std::string& message) {
    const xercesc::DOMDocument* doc = parser.parseFile(path, message);
    return doc != nullptr ? toBytes(doc->getDocumentElement()->getTagName()) : std::string();
  }

  XercesSession session;
  std::string dir;
};

}  // namespace

// One parser serves a whole sequence of files: no failure, including a refusal
// that unwinds the parse from inside the library, leaves state behind.
TEST_F(SecureDomParserTest, OneParserSurvivesEveryKindOfFailure) {
  const std::string good = file("good.xml", "<?xml version=\"1.0\"?><Good><a>1 &lt; 2</a></Good>");
  struct Case {
    std::string path;
    std::string message;  // empty: any text
  };
  const Case failures[] = {
      {dir + "/missing.xml", SecureDomParser::s_unreadableMessage},
      {file("doctype.xml", "<!DOCTYPE Good [<!ENTITY e 'x'>]><Good>&e;</Good>"),
       SecureDomParser::s_doctypeMessage},
      {file("undeclared.xml", "<Good>&e;</Good>"), ""},
      {file("unclosed.xml", "<Good><a></Good>"), ""},
      {file("empty.xml", ""), ""},
      // A read failure is reported as one, not taken for the end of the file.
      {dir, SecureDomParser::s_unreadableMessage},
  };
  SecureDomParser parser;
  for (const Case& c : failures) {
    std::string message;
    EXPECT_EQ(rootName(parser, c.path, message), "") << c.path;
    if (c.message.empty()) {
      EXPECT_FALSE(message.empty()) << c.path;
      EXPECT_NE(message, SecureDomParser::s_doctypeMessage) << c.path;
    } else {
      EXPECT_EQ(message, c.message) << c.path;
    }
    message = "untouched";
    EXPECT_EQ(rootName(parser, good, message), "Good") << "after " << c.path;
    EXPECT_EQ(message, "untouched");
  }
}

// The name is opened as the bytes given: never taken for a URL, not converted.
TEST_F(SecureDomParserTest, FileNamesAreBytes) {
  const std::string path = file("not utf-8 \xff%20#frag?q=1.xml", "<Odd/>");
  SecureDomParser parser;
  std::string message;
  EXPECT_EQ(rootName(parser, path, message), "Odd") << message;
}
