#pragma once

// Small helpers shared by the benchmarks that report file sizes and the
// machine they ran on.

#include <unistd.h>

#include <fstream>
#include <string>

namespace kalo_bench {

/// Size of a file in MiB (0 when it cannot be opened).
inline double fileMiB(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  return in ? static_cast<double>(in.tellg()) / (1024.0 * 1024.0) : 0.0;
}

/// "<CPU model>, <n> cores", for the head of a report.
inline std::string machine() {
  std::ifstream cpu("/proc/cpuinfo");
  std::string line, model = "unknown CPU";
  while (std::getline(cpu, line)) {
    if (line.rfind("model name", 0) == 0) {
      model = line.substr(line.find(':') + 2);
      break;
    }
  }
  return model + ", " + std::to_string(sysconf(_SC_NPROCESSORS_ONLN)) + " cores";
}

}  // namespace kalo_bench
