// The streaming file paths against the DOM paths (hardened DOM parser with the
// element-level readers, element-level writers with the library's serializer):
// the same result for every file and the same bytes written back; and what a
// failed write leaves on disk.
#include <dirent.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <kalo_toolkit/xml_session.hpp>

#include "../src/zolt_model_file_paths.hpp"
#include "sample_model.hpp"

using namespace kalo_toolkit;
using namespace kalo_test;

namespace {

// Per test, since ctest runs the tests of this file side by side.
std::string scratch(const std::string& name) {
  return ::testing::TempDir() + "/paths_" + ::testing::UnitTest::GetInstance()->current_test_info()->name() +
         "_" + name;
}

std::vector<std::string> filesIn(const std::string& dir) {
  std::vector<std::string> files;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      const std::string name = e->d_name;
      if (name.size() > 4 && name.compare(name.size() - 4, 4, ".xml") == 0) files.push_back(dir + "/" + name);
    }
    closedir(d);
  }
  return files;
}

// Reads the file both ways; on success writes both models both ways and
// expects one file's bytes. Returns whether the file was read.
bool expectSamePaths(const std::string& path) {
  std::string streamFailure, domFailure;
  boost::shared_ptr<ZoltModel> streamed, built;
  {
    util::XercesSession session;
    streamed = detail::readStreaming(path, streamFailure);
    built = detail::readThroughDom(path, domFailure);
  }
  EXPECT_EQ(static_cast<bool>(streamed), static_cast<bool>(built)) << path;
  EXPECT_EQ(streamFailure, domFailure) << path;
  if (!streamed || !built) return false;
  const std::string a = scratch("stream.xml"), b = scratch("dom.xml"), c = scratch("cross.xml");
  const int rc = streamed->writeToXML(a);
  EXPECT_EQ(detail::writeThroughDom(*built, b), rc) << path;
  EXPECT_EQ(built->writeToXML(c), rc) << path;
  if (rc == KALOT_SUCCESS) {
    EXPECT_TRUE(readFile(a) == readFile(b)) << path;
    EXPECT_TRUE(readFile(a) == readFile(c)) << path;
  }
  return true;
}

}  // namespace

TEST(StreamDomPathsTest, EveryTestFileGivesTheSameResultBothWays) {
  int read = 0;
  for (const char* dir : {"/multibody", "/inspect", "/reference/multibody"}) {
    for (const std::string& path : filesIn(std::string(KALO_TEST_DATA_DIR) + dir))
      read += expectSamePaths(path);
  }
  EXPECT_GE(read, 20);
}

// The text of a value is that of its first child node, whatever kind it is.
TEST(StreamDomPathsTest, ValueTextsOfEveryNodeKindAgree) {
  const std::string base = readFile(dataPath("minimal_model.xml"));
  const std::string from = "<createdBy>\"\"</createdBy>";
  ASSERT_NE(base.find(from), std::string::npos);
  const char* const values[] = {
      "<!--c-->\"x\"",
      "<?pi some data?>\"x\"",
      "\"a\"<![CDATA[b]]>",
      "<![CDATA[\"a]]><![CDATA[b\"]]>",
      "<![CDATA[]]>\"a\"<![CDATA[]]>b",
      "\"a<!--c-->b\"",
      "<x>\"a<![CDATA[<b>]]></x>c\"",
      "<x><y>\"deep</y><z/>er\"</x>tail",
      "<x/>\"after an empty element\"",
      "\"&amp;&lt;&#x20AC;&#128512;\"",
      "\n   \"spaces\"   ",
      "",
  };
  const std::string path = scratch("value.xml");
  for (const char* value : values) {
    std::string text = base;
    text.replace(text.find(from), from.size(), std::string("<createdBy>") + value + "</createdBy>");
    writeFile(path, text);
    EXPECT_TRUE(expectSamePaths(path)) << value;
  }
}

TEST(StreamDomPathsTest, FailedWritesLeaveNoFileAndKeepAnEarlierOne) {
  const std::string dir = ::testing::TempDir() + "/paths_failed_writes";
  ASSERT_EQ(std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str()), 0);
  const std::string path = dir + "/model.xml";

  auto badText = buildSampleModel();
  badText->getTopSubsystem()->getBodyRefAt(0)->getBody()->setName("bell \x07");
  auto noFrame = buildSampleModel();
  noFrame->getTopSubsystem()->addGround(boost::make_shared<Ground>("g", boost::shared_ptr<Frame>()));
  for (auto* model : {badText.get(), noFrame.get()}) {
    EXPECT_EQ(model->writeToXML(path), KALOT_XML_READ_ERROR);
    EXPECT_EQ(detail::writeThroughDom(*model, scratch("dom_failure.xml")), KALOT_XML_READ_ERROR);
    EXPECT_EQ(filesIn(dir).size(), 0u);
  }

  auto good = buildSampleModel();
  ASSERT_EQ(good->writeToXML(path), KALOT_SUCCESS);
  const std::string before = readFile(path);
  EXPECT_EQ(badText->writeToXML(path), KALOT_XML_READ_ERROR);
  EXPECT_TRUE(readFile(path) == before);
  EXPECT_EQ(filesIn(dir).size(), 1u);
  // Nothing else is left beside it either (no temporary file).
  int entries = 0;
  if (DIR* d = opendir(dir.c_str())) {
    while (readdir(d) != nullptr) ++entries;
    closedir(d);
  }
  EXPECT_EQ(entries, 3);  // ".", ".." and the file
  std::system(("rm -rf '" + dir + "'").c_str());
}
