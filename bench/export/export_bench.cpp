// Times the export of synthetic multibody models (N bodies in a chain over
// nested subsystems) to MJCF, SDFormat and URDF, beside reading the model's
// multibody XML file. The export starts from the model in memory; writing to
// a file includes the temporary file and its rename. Each format runs in a
// child process of its own, so that a crash is reported, not fatal.
//
//   kalo_export_bench [N ...]        (default 1000 10000)
// Environment: KALO_BENCH_DIR (folder for the files, default /tmp), KALO_BENCH_REPEAT (default 3).
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <kalo_toolkit/sim_export.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "bench_support.hpp"
#include "synthetic_model.hpp"

#ifndef KALO_BUILD_TYPE
#define KALO_BUILD_TYPE "unknown"
#endif

namespace {

namespace sim = kalo_toolkit::sim;

double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

struct Timing {
  double wall = 1e300, cpu = 1e300;  // best of the repeats
  bool ok = true;
};

Timing best(int repeat, const std::function<bool()>& run) {
  Timing t;
  for (int i = 0; i < repeat; ++i) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = cpuSeconds();
    t.ok = run() && t.ok;
    t.cpu = std::min(t.cpu, cpuSeconds() - cpuStart);
    t.wall =
        std::min(t.wall, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return t;
}

struct ExportTimes {
  Timing toString, toFile;
  double outMiB = 0;
};

/// Reads the model (untimed) and times one format's export in a child
/// process; returns false with `why` when the child did not finish.
bool exportInChild(const std::string& xml, sim::Format format, const std::string& out, int repeat,
                   ExportTimes* times, std::string* why) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  std::fflush(stdout);
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    KalotError error = KALOT_GENERIC_FAILURE;
    const auto model =
        kalo_toolkit::ZoltModel::readFromXML(&error, xml, kalo_toolkit::MechanismSimplifier::None);
    ExportTimes t;
    if (model) {
      sim::ExportOptions options;
      options.format = format;
      std::string text;
      t.toString = best(repeat, [&] { return sim::exportToString(*model, options, &text).code == 0; });
      t.toFile = best(repeat, [&] { return sim::exportToFile(*model, out, options).code == 0; });
      t.outMiB = kalo_bench::fileMiB(out);
      std::remove(out.c_str());
    }
    const bool sent = write(fds[1], &t, sizeof t) == static_cast<ssize_t>(sizeof t);
    _exit(model && sent ? 0 : 2);
  }
  close(fds[1]);
  const bool got = pid > 0 && read(fds[0], times, sizeof *times) == static_cast<ssize_t>(sizeof *times);
  close(fds[0]);
  int status = 0;
  if (pid > 0) waitpid(pid, &status, 0);
  std::remove(out.c_str());
  if (got && WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  *why = WIFSIGNALED(status) ? "crashed (signal " + std::to_string(WTERMSIG(status)) + ")" : "failed";
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  if (sizes.empty()) sizes = {1000, 10000};
  const char* dirEnv = std::getenv("KALO_BENCH_DIR");
  const std::string dir = dirEnv && *dirEnv ? dirEnv : "/tmp";
  const char* repeatEnv = std::getenv("KALO_BENCH_REPEAT");
  const int repeat = std::max(1, repeatEnv ? std::atoi(repeatEnv) : 3);

  std::printf("simulator export benchmark (%s build) on %s\n", KALO_BUILD_TYPE,
              kalo_bench::machine().c_str());
  std::printf(
      "model: N bodies x 3 frames, N-1 joints (1-2 primitives), 1 ground + weld, 4 nested subsystems\n");
  std::printf("times: cpu seconds, best of %d (wall in parentheses); ratio = export cpu / read cpu\n\n",
              repeat);
  std::printf("%7s %8s | %15s | %-6s %15s %15s %8s %6s\n", "N", "xml MiB", "read s", "format", "to string s",
              "to file s", "out MiB", "ratio");

  bool failed = false;
  for (int n : sizes) {
    const std::string base = dir + "/kalo_export_bench_" + std::to_string(n) + "_" + std::to_string(getpid());
    const std::string xml = base + ".xml";
    if (kalo_bench::makeSyntheticModel(n)->writeToXML(xml) != 0) {
      std::fprintf(stderr, "cannot write %s\n", xml.c_str());
      return 1;
    }
    boost::shared_ptr<kalo_toolkit::ZoltModel> model;
    const Timing read = best(repeat, [&] {
      KalotError error = KALOT_GENERIC_FAILURE;
      model = kalo_toolkit::ZoltModel::readFromXML(&error, xml, kalo_toolkit::MechanismSimplifier::None);
      return model != nullptr;
    });
    model.reset();
    for (const sim::Format format : {sim::Format::Mjcf, sim::Format::Sdf, sim::Format::Urdf}) {
      const std::string out = base + "." + sim::formatName(format);
      ExportTimes t;
      std::string why;
      if (!exportInChild(xml, format, out, repeat, &t, &why)) {
        std::printf("%7d %8.2f | %6.3f (%6.3f) | %-6s %s\n", n, kalo_bench::fileMiB(xml), read.cpu, read.wall,
                    sim::formatName(format).c_str(), why.c_str());
        failed = true;
        continue;
      }
      std::printf("%7d %8.2f | %6.3f (%6.3f) | %-6s %6.3f (%6.3f) %6.3f (%6.3f) %8.2f %6.2f\n", n,
                  kalo_bench::fileMiB(xml), read.cpu, read.wall, sim::formatName(format).c_str(),
                  t.toString.cpu, t.toString.wall, t.toFile.cpu, t.toFile.wall, t.outMiB,
                  t.toFile.cpu / read.cpu);
      std::fflush(stdout);
      failed = failed || !read.ok || !t.toString.ok || !t.toFile.ok;
    }
    std::remove(xml.c_str());
  }
  if (failed) std::fprintf(stderr, "a read or an export failed\n");
  return failed ? 1 : 0;
}
