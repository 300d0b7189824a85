// Writes and reads synthetic multibody files of N bodies and compares the read
// with `xmllint --noout` (a plain well-formedness parse) on the same file.
// Each phase runs in a child process of its own, so its peak resident memory
// is its own.
//
//   kalo_multibody_xml_bench [N ...]        (default 1000 10000 50000)
// Environment: KALO_BENCH_DIR (folder for the files, default /tmp), KALO_BENCH_KEEP=1 keeps them.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "bench_support.hpp"
#include "synthetic_model.hpp"

#ifndef KALO_BUILD_TYPE
#define KALO_BUILD_TYPE "unknown"
#endif

namespace {

using Clock = std::chrono::steady_clock;

struct PhaseResult {
  double seconds = -1;    // wall time; negative: the phase failed
  double cpuSeconds = 0;  // user + system time, child processes of the phase included
  long peakKiB = 0;
};

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double cpuSeconds() {
  double total = 0;
  for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
    rusage usage{};
    getrusage(who, &usage);
    total += static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
             static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
  }
  return total;
}

long peakRssKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Runs `phase` in a child process and returns its time and the child's peak memory.
template <typename F>
PhaseResult inChild(F phase) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    PhaseResult r;
    const double cpuStart = cpuSeconds();
    r.seconds = phase();
    r.cpuSeconds = cpuSeconds() - cpuStart;
    r.peakKiB = peakRssKiB();
    if (write(fds[1], &r, sizeof r) != static_cast<ssize_t>(sizeof r)) _exit(2);
    _exit(0);
  }
  close(fds[1]);
  PhaseResult r;
  if (pid < 0 || read(fds[0], &r, sizeof r) != static_cast<ssize_t>(sizeof r)) r = PhaseResult{};
  close(fds[0]);
  int status = 0;
  if (pid > 0) waitpid(pid, &status, 0);
  return r;
}

struct Row {
  int n;
  double mib;
  PhaseResult write, read, lint;
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  if (sizes.empty()) sizes = {1000, 10000, 50000};
  const char* dirEnv = std::getenv("KALO_BENCH_DIR");
  const std::string dir = dirEnv && *dirEnv ? dirEnv : "/tmp";
  const bool keep = std::getenv("KALO_BENCH_KEEP") != nullptr;
  const bool haveLint = std::system("xmllint --version >/dev/null 2>&1") == 0;

  std::printf("multibody XML write/read benchmark (%s build) on %s\n", KALO_BUILD_TYPE,
              kalo_bench::machine().c_str());
  std::printf(
      "model: N bodies x 3 frames, N-1 joints (1-2 primitives), 1 ground + weld, 4 nested subsystems\n\n");
  std::printf(
      "times: wall (cpu) seconds; MiB/s, us/body, ratio and exponents use cpu time, which a busy\n"
      "machine disturbs less; ratio = read cpu / xmllint cpu; xfile = read peak / file size\n\n");
  std::printf("%7s %8s | %15s %6s %8s | %15s %6s %7s %8s %5s | %15s %5s\n", "N", "file MiB", "write s",
              "MiB/s", "peak MiB", "read s", "MiB/s", "us/body", "peak MiB", "xfile", "xmllint s", "ratio");

  std::vector<Row> rows;
  for (int n : sizes) {
    const std::string path =
        dir + "/kalo_bench_" + std::to_string(n) + "_" + std::to_string(getpid()) + ".xml";
    Row row{n, 0, {}, {}, {}};
    row.write = inChild([&] {
      auto model = kalo_bench::makeSyntheticModel(n);
      const auto start = Clock::now();
      const int rc = model->writeToXML(path);
      const double t = since(start);
      return rc == 0 ? t : -1.0;
    });
    row.mib = kalo_bench::fileMiB(path);
    row.read = inChild([&] {
      const auto start = Clock::now();
      KalotError error = KALOT_GENERIC_FAILURE;
      auto model =
          kalo_toolkit::ZoltModel::readFromXML(&error, path, kalo_toolkit::MechanismSimplifier::None);
      const double t = since(start);
      // Dropping the model is part of the cost of a read.
      return model && model->getTopSubsystem()->getBodyRefCount() > 0 ? t : -1.0;
    });
    if (haveLint) {
      row.lint = inChild([&] {
        const std::string cmd = "xmllint --noout '" + path + "'";
        const auto start = Clock::now();
        const int rc = std::system(cmd.c_str());
        return rc == 0 ? since(start) : -1.0;
      });
    }
    if (!keep) std::remove(path.c_str());
    rows.push_back(row);

    const double ratio = row.lint.cpuSeconds > 0 ? row.read.cpuSeconds / row.lint.cpuSeconds : NAN;
    std::printf(
        "%7d %8.2f | %6.2f (%6.2f) %6.1f %8.1f | %6.2f (%6.2f) %6.1f %7.1f %8.1f %5.2f | %6.2f (%6.2f) "
        "%5.2f\n",
        n, row.mib, row.write.seconds, row.write.cpuSeconds, row.mib / row.write.cpuSeconds,
        row.write.peakKiB / 1024.0, row.read.seconds, row.read.cpuSeconds, row.mib / row.read.cpuSeconds,
        row.read.cpuSeconds * 1e6 / n, row.read.peakKiB / 1024.0, row.read.peakKiB / 1024.0 / row.mib,
        row.lint.seconds, row.lint.cpuSeconds, ratio);
    std::fflush(stdout);
    if (row.write.seconds < 0 || row.read.seconds < 0) {
      std::fprintf(stderr, "write or read failed for N = %d\n", n);
      return 1;
    }
  }

  if (rows.size() > 1) {
    std::printf("\ngrowth exponent (time ~ N^k) between consecutive sizes:\n");
    for (size_t i = 1; i < rows.size(); ++i) {
      const double dn = std::log(static_cast<double>(rows[i].n) / rows[i - 1].n);
      std::printf("  %d -> %d: write k = %.2f, read k = %.2f, xmllint k = %.2f\n", rows[i - 1].n, rows[i].n,
                  std::log(rows[i].write.cpuSeconds / rows[i - 1].write.cpuSeconds) / dn,
                  std::log(rows[i].read.cpuSeconds / rows[i - 1].read.cpuSeconds) / dn,
                  std::log(rows[i].lint.cpuSeconds / rows[i - 1].lint.cpuSeconds) / dn);
    }
  }
  std::printf(
      "\nxmllint includes starting a shell and the program; the read includes releasing the model.\n");
  double load[3] = {0, 0, 0};
  if (getloadavg(load, 3) == 3)
    std::printf("load average at the end: %.2f %.2f %.2f\n", load[0], load[1], load[2]);
  return 0;
}
