#pragma once

// Shared by the fuzz targets: scratch files below TMPDIR and a property check
// that names the broken property before it stops the run.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#define FUZZ_CHECK(condition, what)                                                    \
  do {                                                                                 \
    if (!(condition)) {                                                                \
      std::fprintf(stderr, "property broken: %s (%s:%d)\n", what, __FILE__, __LINE__); \
      std::abort();                                                                    \
    }                                                                                  \
  } while (0)

namespace kalo_fuzz {

/// A new empty file below TMPDIR (or /tmp) whose name ends with suffix.
inline std::string makeTempFile(const char* suffix) {
  const char* dir = std::getenv("TMPDIR");
  std::string templ = std::string(dir && *dir ? dir : "/tmp") + "/kalo_fuzz_XXXXXX" + suffix;
  const int fd = mkstemps(&templ[0], static_cast<int>(std::char_traits<char>::length(suffix)));
  if (fd < 0) std::abort();
  close(fd);
  return templ;
}

/// The whole file; false when it does not exist.
inline bool readFile(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  bytes.clear();
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

inline void writeFile(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
}

}  // namespace kalo_fuzz
