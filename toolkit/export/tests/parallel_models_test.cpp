// Many models at once in one process: eight threads each read, simplify,
// write, convert and export different models round after round; every output
// must be byte-identical to the same work done on one thread, and every
// thread's tolerances must be the ones its conversion used. Built also under
// ThreadSanitizer (KALO_SANITIZE=thread), where it must run clean.

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <xercesc/util/PlatformUtils.hpp>

#include <kalo_toolkit/cad2zolt.hpp>
#include <kalo_toolkit/cad_model.hpp>
#include <kalo_toolkit/mechanism_simplifier.hpp>
#include <kalo_toolkit/sim_export.hpp>
#include <kalo_toolkit/zolt_model.hpp>

using namespace kalo_toolkit;

namespace {

const std::string kData = std::string(KALO_TEST_DATA_DIR) + "/";

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const std::vector<std::string> kModels = {"export/four_bar.xml", "export/nested_mast.xml",
                                          "export/slider.xml", "multibody/sample_model.xml"};
const std::vector<std::string> kAssemblies = {"export/four_bar.cad.xml", "export/nested_mast.cad.xml",
                                              "cad/small_assembly.xml"};
// Far apart: the last takes any two axes for parallel and perpendicular at once.
const double kAngular[] = {1e-5, 1e-3, 1.5};

// Everything one task produces, as texts; failures are recorded as texts too.
using Outputs = std::map<std::string, std::string>;

// Reads a multibody model, simplifies it, writes it and exports it in every format.
void modelTask(size_t model, int simplify, const std::string& scratch, Outputs& out) {
  KalotError error = KALOT_SUCCESS;
  std::string reason;
  const auto m = ZoltModel::readFromXML(&error, kData + kModels[model],
                                        static_cast<MechanismSimplifier::Option>(simplify), &reason);
  if (!m) {
    out["read"] = "failed: " + reason;
    return;
  }
  const std::string written = scratch + "/model.xml";
  out["xml"] = m->writeToXML(written) == 0 ? slurp(written) : "write failed";
  for (sim::Format format : {sim::Format::Mjcf, sim::Format::Sdf, sim::Format::Urdf}) {
    sim::ExportOptions options;
    options.format = format;
    options.keepMissingMeshes = true;
    std::string text;
    const sim::ExportResult r = sim::exportToString(*m, options, &text);
    out[sim::formatName(format)] = r.code == 0 ? text : "failed: " + r.error;
  }
  sim::ExportOptions options;
  options.format = sim::Format::Sdf;
  options.keepMissingMeshes = true;
  const std::string file = scratch + "/model.sdf";
  const sim::ExportResult r = sim::exportToFile(*m, file, options);
  out["sdf file"] = r.code == 0 ? slurp(file) : "failed: " + r.error;
}

// Reads a CAD assembly, converts it with the given angular tolerance and writes the result.
void assemblyTask(size_t assembly, double angular, const std::string& scratch, Outputs& out) {
  KalotError error = KALOT_SUCCESS;
  std::string reason;
  const auto cad = CadModel::readContentFromXML(&error, kData + kAssemblies[assembly], &reason);
  if (!cad) {
    out["cad"] = "failed: " + reason;
    return;
  }
  Cad2Zolt converter(cad, "test", "file", "today", "tester", "Top");
  converter.setTolerances(1e-5, angular, 1e-12);
  std::string message;
  const std::string written = scratch + "/converted.xml";
  const int rc = converter.writeToXML(message, written);
  out["converted"] = std::to_string(rc) + "\n" + message + "\n" + slurp(written);
  const std::string again = scratch + "/cad.xml";
  out["cad xml"] = cad->writeToXML(again) == 0 ? slurp(again) : "write failed";
}

// Task t of a thread: a model task and an assembly task, chosen so that
// threads work on different models in the same round.
struct Task {
  size_t model;
  int simplify;
  size_t assembly;
  double angular;
};
Task taskFor(int thread, int round) {
  const auto k = static_cast<size_t>(thread + 3 * round);
  return Task{k % kModels.size(), (thread + round) % 4, k % kAssemblies.size(), kAngular[(k / 2) % 3]};
}
std::string keyOf(const Task& t) {
  return std::to_string(t.model) + "/" + std::to_string(t.simplify) + "/" + std::to_string(t.assembly) + "/" +
         std::to_string(t.angular);
}

Outputs run(const Task& t, const std::string& scratch) {
  Outputs out;
  modelTask(t.model, t.simplify, scratch, out);
  assemblyTask(t.assembly, t.angular, scratch, out);
  return out;
}

class ParallelModelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "kalo_parallel_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
  }
  void TearDown() override { ASSERT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0); }

  std::string scratch(const std::string& name) const {
    const std::string path = dir + "/" + name;
    EXPECT_EQ(mkdir(path.c_str(), 0755), 0);
    return path;
  }

  std::string dir;
};

}  // namespace

TEST_F(ParallelModelsTest, EightThreadsGiveTheBytesOfOneThread) {
  constexpr int kThreads = 8;
  constexpr int kRounds = 6;

  // The expected outputs, each task done once on this thread.
  std::map<std::string, Outputs> expected;
  const std::string alone = scratch("alone");
  for (int t = 0; t < kThreads; ++t)
    for (int r = 0; r < kRounds; ++r) {
      const Task task = taskFor(t, r);
      if (!expected.count(keyOf(task))) expected[keyOf(task)] = run(task, alone);
    }
  // The work must be worth comparing: models read, and the tolerances change some conversion.
  for (const auto& [key, outputs] : expected) {
    EXPECT_EQ(outputs.count("read"), 0u) << key << ": " << outputs.at("read");
    EXPECT_EQ(outputs.count("cad"), 0u) << key << ": " << outputs.at("cad");
  }
  std::map<size_t, std::set<std::string>> byTolerance;
  for (int t = 0; t < kThreads; ++t)
    for (int r = 0; r < kRounds; ++r) {
      const Task task = taskFor(t, r);
      byTolerance[task.assembly].insert(expected[keyOf(task)]["converted"]);
    }
  size_t varied = 0;
  for (const auto& [assembly, texts] : byTolerance) varied += texts.size() > 1 ? 1 : 0;
  EXPECT_GT(varied, 0u) << "no assembly converts differently under the tolerances used";

  std::vector<std::vector<std::string>> mismatches(kThreads);
  std::vector<std::thread> threads;
  // A caller of its own that starts and stops the XML library around its own
  // work meanwhile must not stop it under the others' parses.
  std::atomic<bool> working{true};
  threads.emplace_back([&] {
    while (working) {
      xercesc::XMLPlatformUtils::Initialize();
      xercesc::XMLPlatformUtils::Terminate();
      std::this_thread::yield();
    }
  });
  for (int t = 0; t < kThreads; ++t) {
    const std::string own = scratch("thread" + std::to_string(t));
    threads.emplace_back([&, t, own] {
      for (int r = 0; r < kRounds; ++r) {
        const Task task = taskFor(t, r);
        const Outputs got = run(task, own);
        for (const auto& [what, text] : expected.at(keyOf(task))) {
          const auto it = got.find(what);
          if (it == got.end() || it->second != text)
            mismatches[t].push_back("round " + std::to_string(r) + " " + keyOf(task) + " " + what);
        }
      }
    });
  }
  for (size_t i = 1; i < threads.size(); ++i) threads[i].join();
  working = false;
  threads[0].join();
  for (int t = 0; t < kThreads; ++t)
    for (const std::string& m : mismatches[t]) ADD_FAILURE() << "thread " << t << ": " << m;
}

// Eight threads exporting different models to one path: every call succeeds
// and the path holds one caller's whole file, byte for byte.
TEST_F(ParallelModelsTest, ConcurrentExportsToOnePathLeaveOneCompleteFile) {
  std::vector<boost::shared_ptr<ZoltModel>> models;
  std::vector<std::string> texts;
  for (const std::string& name : kModels) {
    KalotError error = KALOT_SUCCESS;
    models.push_back(ZoltModel::readFromXML(&error, kData + name, MechanismSimplifier::None));
    ASSERT_TRUE(models.back()) << name;
    sim::ExportOptions options;
    options.keepMissingMeshes = true;
    texts.emplace_back();
    ASSERT_EQ(sim::exportToString(*models.back(), options, &texts.back()).code, 0);
  }
  const std::string target = dir + "/shared.xml";
  std::vector<std::string> errors(8);
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      sim::ExportOptions options;
      options.keepMissingMeshes = true;
      for (int r = 0; r < 10; ++r) {
        const sim::ExportResult result = sim::exportToFile(*models[t % models.size()], target, options);
        if (result.code != 0) errors[t] = result.error;
      }
    });
  }
  for (std::thread& th : threads) th.join();
  for (int t = 0; t < 8; ++t) EXPECT_EQ(errors[t], "") << "thread " << t;
  const std::string last = slurp(target);
  bool whole = false;
  for (const std::string& text : texts) whole = whole || text == last;
  EXPECT_TRUE(whole) << last.substr(0, 200);
}
