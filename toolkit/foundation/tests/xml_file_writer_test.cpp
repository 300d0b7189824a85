#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <limits>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include <kalo_toolkit/xml_file_writer.hpp>

using namespace kalo_toolkit::util;

namespace {

class XmlFileWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "kalo_file_writer_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
  }
  void TearDown() override { ASSERT_EQ(system(("rm -rf '" + dir + "'").c_str()), 0); }

  static std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  static void document(XmlSink& sink) {
    sink.startElement("Root");
    sink.textElement("a", "1 < 2 & \"x\"\r");
    sink.startElement("list");
    sink.startElement("item");
    sink.attribute("ref", "7");
    sink.endElement();
    sink.endElement();
    sink.endElement();
  }

  std::string dir;
};

}  // namespace

TEST_F(XmlFileWriterTest, PrintsAsTheSerializerDoes) {
  const std::string path = dir + "/doc.xml";
  ASSERT_TRUE(writeXmlFile(path, document));
  EXPECT_EQ(slurp(path),
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>\n<Root>\n\n"
            "  <a>1 &lt; 2 &amp; \"x\"&#xD;</a>\n\n  <list>\n    <item ref=\"7\"/>\n  </list>\n\n</Root>\n");
}

// The file is replaced only when complete; what it is (its mode, a link, a device) stays as it was.
TEST_F(XmlFileWriterTest, ReplacesOnlyCompleteFilesAndKeepsWhatThePathIs) {
  const std::string path = dir + "/doc.xml";
  std::ofstream(path) << "earlier";
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  EXPECT_FALSE(writeXmlFile(path, [](XmlSink& sink) {
    document(sink);
    throw std::runtime_error("a defect found half way");
  }));
  EXPECT_EQ(slurp(path), "earlier");
  ASSERT_TRUE(writeXmlFile(path, document));
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);

  const std::string link = dir + "/link.xml";
  ASSERT_EQ(symlink(path.c_str(), link.c_str()), 0);
  std::ofstream(path) << "earlier";
  ASSERT_TRUE(writeXmlFile(link, document));
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(slurp(path).rfind("<?xml", 0), 0u);

  ASSERT_TRUE(writeXmlFile("/dev/null", document));
  ASSERT_EQ(stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));

  EXPECT_FALSE(writeXmlFile("", document));
  EXPECT_FALSE(writeXmlFile(dir, document));  // a directory
  EXPECT_FALSE(writeXmlFile(dir + "/missing/doc.xml", document));
  // An unfinished document is a failure too.
  EXPECT_FALSE(writeXmlFile(dir + "/open.xml", [](XmlSink& sink) { sink.startElement("Root"); }));
  EXPECT_NE(access((dir + "/open.xml").c_str(), F_OK), 0);
}

// No reader accepts "nan" or "inf": a number element holding one fails the
// write, alone or inside an array, and leaves no file.
TEST_F(XmlFileWriterTest, NonFiniteNumbersFailTheWrite) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::string path = dir + "/bad.xml";
  for (double bad : {inf, -inf, nan}) {
    EXPECT_FALSE(writeXmlFile(path, [bad](XmlSink& sink) {
      sink.startElement("Root");
      sink.numberElement("mass", bad);
      sink.endElement();
    }));
    EXPECT_NE(access(path.c_str(), F_OK), 0);
    EXPECT_FALSE(writeXmlFile(path, [bad](XmlSink& sink) {
      const double array[3] = {1e-13, bad, 1};  // survives the small-value cleaning
      sink.startElement("Root");
      sink.numbersElement("position", array, 3);
      sink.endElement();
    }));
    EXPECT_NE(access(path.c_str(), F_OK), 0);
  }
}
