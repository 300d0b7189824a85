// Plug-ins converting on several threads at once through the C interface:
// each thread builds its own assembly, sets its own tolerances and writes its
// own file; every file must be the one a single thread writes with the same
// tolerances. Built also under ThreadSanitizer (KALO_SANITIZE=thread).

#include <gtest/gtest.h>

#include <kalo_api/kalo_api.h>
#include <quorra_engine/quorra_engine_control.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

const double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
const double kZero[3] = {0, 0, 0};
const double kInertia[6] = {1, 1, 1, 0, 0, 0};
constexpr int kLine = 1;
constexpr int kThreads = 8;

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every handle of one assembly, released in reverse order.
struct Handles {
  std::vector<void*> all;
  ~Handles() {
    for (auto it = all.rbegin(); it != all.rend(); ++it) kalot_release_object(*it);
  }
  // Takes the handle's address: read after the call that fills it, whatever the order in which
  // the arguments are evaluated.
  bool add(int rc, void** h) {
    if (*h != nullptr) all.push_back(*h);
    return rc == 0;
  }
};

// Two parts whose axes are mated with a tilt of 1e-4 rad: a cylindrical joint
// when the angular tolerance exceeds the tilt, a weld with a report when not.
// Returns the result code, the messages and the file, or a failure text.
std::string convertTiltedPair(double angular, const std::string& file) {
  Handles h;
  void *top = nullptr, *a = nullptr, *b = nullptr, *refA = nullptr, *refB = nullptr;
  void *c1 = nullptr, *c2 = nullptr, *c = nullptr, *conv = nullptr;
  const double tilt = 1e-4;
  const double at1[3] = {0, 0, -5}, axis1[3] = {0, 0, 1};
  const double at2[3] = {-10, 0, 0}, axis2[3] = {std::sin(tilt), 0, std::cos(tilt)};
  const bool built =
      h.add(kalot_create_cadmodel(&top, "Top", 1, kInertia, kZero, 1, 1, "", nullptr), &top) &&
      h.add(kalot_create_cadmodel(&a, "ADef", 1, kInertia, kZero, 0.5, 2, "a.stl", nullptr), &a) &&
      h.add(kalot_create_cadmodel(&b, "BDef", 1, kInertia, kZero, 0.5, 2, "b.stl", nullptr), &b) &&
      h.add(kalot_create_cadmodelref(&refA, "A", "/Top/A", a, kIdentity, kZero, 1, 0, 0, nullptr), &refA) &&
      h.add(kalot_create_cadmodelref(&refB, "B", "/Top/B", b, kIdentity, kZero, 1, 0, 0, nullptr), &refB) &&
      kalot_add_refincadmodel(top, refA) == 0 && kalot_add_refincadmodel(top, refB) == 0 &&
      h.add(kalot_create_assemcomp_fromstr(&c1, "A", top), &c1) &&
      h.add(kalot_create_assemcomp_fromstr(&c2, "B", top), &c2) &&
      h.add(kalot_create_constrain(&c, "Axis", 0, c1, c2, kLine, kLine, at1, axis1, at2, axis2), &c) &&
      kalot_add_constrain(top, c) == 0 &&
      h.add(kalot_create_cad2zolt(&conv, top, "test", "memory.asm", "today", "tester", "Top"), &conv) &&
      kalot_set_tolerances(conv, 1e-5, angular, 1e-12) == 0;
  if (!built) return "the assembly could not be built";
  char* messages = nullptr;
  const int rc = kalot_write_xml(&messages, conv, file.c_str());
  const std::string result =
      std::to_string(rc) + "\n" + (messages ? messages : "<null>") + "\n" + slurp(file);
  kalot_release_buffer(&messages);
  return result;
}

class ParallelConversionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    quorra_engine_control_reset();
    ASSERT_EQ(kalot_set_units(KALOT_MASS_KG, KALOT_LENGTH_MM), 0);
    std::string pattern = ::testing::TempDir() + "kalo_parallel_conversion_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
  }
  void TearDown() override {
    kalot_set_units(KALOT_MASS_KG, KALOT_LENGTH_M);
    kalot_disconnectfrom_quorra();
    quorra_engine_control_reset();
    ASSERT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0);
  }

  std::string dir;
};

}  // namespace

TEST_F(ParallelConversionTest, ThreadsKeepTheirOwnTolerances) {
  const double tolerances[2] = {1e-5, 1e-3};
  std::string expected[2];
  for (int i = 0; i < 2; ++i) expected[i] = convertTiltedPair(tolerances[i], dir + "/alone.xml");
  ASSERT_EQ(expected[0].rfind("4\n", 0), 0u) << expected[0].substr(0, 300);  // welded under 1e-5
  ASSERT_EQ(expected[1].rfind("0\n", 0), 0u) << expected[1].substr(0, 300);  // a joint under 1e-3

  constexpr int kRounds = 20;
  std::vector<std::string> mismatch(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const std::string file = dir + "/thread" + std::to_string(t) + ".xml";
      for (int r = 0; r < kRounds && mismatch[t].empty(); ++r) {
        const int which = (t + r) % 2;
        if (convertTiltedPair(tolerances[which], file) != expected[which])
          mismatch[t] =
              "round " + std::to_string(r) + " with angular tolerance " + std::to_string(tolerances[which]);
      }
    });
  }
  for (std::thread& th : threads) th.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(mismatch[t], "") << "thread " << t;
  // One session served every thread.
  EXPECT_EQ(quorra_engine_control_open_sessions(), 1u);
}
