// Whole-or-nothing file writes: through links, under a size limit, with many
// writers at once and with writers killed half way.

#include <dirent.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <kalo_toolkit/atomic_file.hpp>
#include <kalo_toolkit/xml_file_writer.hpp>

using namespace kalo_toolkit::util;

namespace {

class AtomicFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "kalo_atomic_file_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
  }
  void TearDown() override { ASSERT_EQ(system(("rm -rf '" + dir + "'").c_str()), 0); }

  static std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  // The names in the folder other than `keep`.
  std::set<std::string> leftovers(const std::set<std::string>& keep) const {
    std::set<std::string> found;
    DIR* d = opendir(dir.c_str());
    while (const dirent* e = readdir(d)) {
      const std::string name = e->d_name;
      if (name != "." && name != ".." && keep.count(name) == 0) found.insert(name);
    }
    closedir(d);
    return found;
  }

  // A content of `size` bytes that names its writer on every line, so a mix of two is seen.
  static std::string content(int writer, size_t size) {
    const std::string line = "writer " + std::to_string(writer) + " line of text\n";
    std::string out;
    while (out.size() < size) out += line;
    return out;
  }

  // A process id no process has: a child that has ended and been reaped.
  static pid_t deadPid() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    return child;
  }

  std::string dir;
};

}  // namespace

// A link stays a link; the file it finally names (through a chain, relative or
// absolute, or not there yet) gets the content.
TEST_F(AtomicFileTest, WritesThroughLinksIntoTheFileTheyName) {
  ASSERT_EQ(mkdir((dir + "/real").c_str(), 0755), 0);
  const std::string target = dir + "/real/model.xml";
  std::ofstream(target) << "earlier";
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  ASSERT_EQ(symlink("real/model.xml", (dir + "/first").c_str()), 0);  // relative
  ASSERT_EQ(symlink((dir + "/first").c_str(), (dir + "/second").c_str()), 0);

  std::string why;
  ASSERT_TRUE(writeFileAtomically(dir + "/second", "new content", &why)) << why;
  EXPECT_EQ(slurp(target), "new content");
  struct stat st {};
  ASSERT_EQ(lstat((dir + "/second").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(lstat((dir + "/first").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_TRUE(leftovers({"real", "first", "second"}).empty());

  // A dangling link: the file it names is created.
  ASSERT_EQ(symlink("real/later.xml", (dir + "/dangling").c_str()), 0);
  ASSERT_TRUE(writeFileAtomically(dir + "/dangling", "created", &why)) << why;
  EXPECT_EQ(slurp(dir + "/real/later.xml"), "created");

  // A loop of links, a folder and a missing folder fail with the system's reason.
  ASSERT_EQ(symlink("loop_b", (dir + "/loop_a").c_str()), 0);
  ASSERT_EQ(symlink("loop_a", (dir + "/loop_b").c_str()), 0);
  EXPECT_FALSE(writeFileAtomically(dir + "/loop_a", "x", &why));
  EXPECT_EQ(why, "Too many levels of symbolic links");
  EXPECT_FALSE(writeFileAtomically(dir + "/real", "x", &why));
  EXPECT_EQ(why, "Is a directory");
  EXPECT_FALSE(writeFileAtomically(dir + "/none/x.xml", "x", &why));
  EXPECT_EQ(why, "No such file or directory");
  EXPECT_TRUE(leftovers({"real", "first", "second", "dangling", "loop_a", "loop_b"}).empty());
}

// A write that fails on the file size limit, through a link, leaves the linked
// file as it was and no temporary file. Run in a child: the limit is per process.
TEST_F(AtomicFileTest, SizeLimitKeepsTheLinkedFileIntact) {
  const std::string target = dir + "/model.xml";
  const std::string earlier = content(0, 3000);
  std::ofstream(target, std::ios::binary) << earlier;
  ASSERT_EQ(symlink(target.c_str(), (dir + "/link.xml").c_str()), 0);

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{8192, 8192};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(10);
    std::string why;
    if (writeFileAtomically(dir + "/link.xml", content(1, 100000), &why)) _exit(11);
    if (why != "File too large") _exit(12);
    // The XML writer goes the same way.
    const bool xml = writeXmlFile(dir + "/link.xml", [](XmlSink& sink) {
      sink.startElement("Root");
      for (int i = 0; i < 5000; ++i) sink.textElement("item", "a text of some length");
      sink.endElement();
    });
    _exit(xml ? 13 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(slurp(target), earlier);
  EXPECT_TRUE(leftovers({"model.xml", "link.xml"}).empty());
}

// Eight threads writing one path: every call succeeds and the path always
// holds one writer's whole file.
TEST_F(AtomicFileTest, ConcurrentWritersLeaveOneCompleteFile) {
  const std::string target = dir + "/out.xml";
  constexpr int kThreads = 8, kRounds = 25;
  std::vector<std::string> contents;
  for (int w = 0; w < kThreads; ++w) contents.push_back(content(w, 200000 + 1000 * w));
  std::vector<int> failures(kThreads, 0);
  std::vector<std::thread> threads;
  for (int w = 0; w < kThreads; ++w) {
    threads.emplace_back([&, w] {
      for (int r = 0; r < kRounds; ++r)
        if (!writeFileAtomically(target, contents[w])) ++failures[w];
    });
  }
  std::set<std::string> seen;
  std::string mixed;
  for (int probe = 0; probe < 200; ++probe) {
    const std::string now = slurp(target);
    if (now.empty()) continue;  // not written yet
    bool whole = false;
    for (const std::string& c : contents) whole = whole || now == c;
    if (!whole) mixed = now.substr(0, 40);
    seen.insert(now.substr(0, 10));
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(mixed, "") << "a reader saw a file no writer wrote";
  for (int w = 0; w < kThreads; ++w) EXPECT_EQ(failures[w], 0) << "writer " << w;
  const std::string last = slurp(target);
  bool whole = false;
  for (const std::string& c : contents) whole = whole || last == c;
  EXPECT_TRUE(whole);
  EXPECT_TRUE(leftovers({"out.xml"}).empty());
}

// A writer killed at any moment leaves the target absent or whole; the next
// write removes what the dead writer left behind.
TEST_F(AtomicFileTest, KilledWritersLeaveTheTargetWholeOrAbsent) {
  const std::string target = dir + "/big.xml";
  const std::string big = content(1, 24 << 20);
  for (int kill = 0; kill < 6; ++kill) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (;;) writeFileAtomically(target, big);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(15 + 37 * kill));
    ::kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    const std::string now = slurp(target);
    EXPECT_TRUE(now.empty() ? access(target.c_str(), F_OK) != 0 : now == big) << "kill " << kill;
  }
  ASSERT_TRUE(writeFileAtomically(target, "small"));
  EXPECT_TRUE(leftovers({"big.xml"}).empty());
}

// Only temporary files of the own pattern whose process is gone are removed;
// those of running processes and other files stay.
TEST_F(AtomicFileTest, RemovesStaleTemporariesOfDeadProcessesOnly) {
  const std::string dead = std::to_string(deadPid());
  const std::string live = std::to_string(getpid());
  const std::vector<std::string> stale = {".kalo-" + dead + "-a1B2c3.tmp", "out.xml.part" + dead};
  const std::vector<std::string> kept = {".kalo-" + live + "-a1B2c3.tmp", "other.xml.part" + dead,
                                         ".kalo-" + dead + "-short.tmp", "out.xml.part" + live, "notes.txt"};
  for (const std::string& name : stale) std::ofstream(dir + "/" + name) << "left";
  for (const std::string& name : kept) std::ofstream(dir + "/" + name) << "left";
  ASSERT_TRUE(writeFileAtomically(dir + "/out.xml", "done"));
  std::set<std::string> expected(kept.begin(), kept.end());
  EXPECT_EQ(leftovers({"out.xml"}), expected);
}

// A new file gets 0666 less the umask; the temporary's own 0600 never shows.
TEST_F(AtomicFileTest, NewFilesTakeTheUmask) {
  const mode_t previous = umask(027);
  const bool written = writeFileAtomically(dir + "/new.xml", "x");
  umask(previous);
  ASSERT_TRUE(written);
  struct stat st {};
  ASSERT_EQ(stat((dir + "/new.xml").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}
