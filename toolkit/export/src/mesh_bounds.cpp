#include "mesh_bounds.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kalo_toolkit {
namespace sim {

namespace {

class Bounds {
 public:
  bool add(double x, double y, double z) {
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) return false;
    const double v[3] = {x, y, z};
    for (size_t i = 0; i < 3; ++i) {
      lower_[i] = empty_ ? v[i] : std::min(lower_[i], v[i]);
      upper_[i] = empty_ ? v[i] : std::max(upper_[i], v[i]);
    }
    empty_ = false;
    return true;
  }
  bool result(Vec3* lower, Vec3* upper) const {
    if (empty_) return false;
    *lower = lower_;
    *upper = upper_;
    return true;
  }

 private:
  bool empty_ = true;
  Vec3 lower_{}, upper_{};
};

std::string lowerCase(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool endsWith(const std::string& s, const std::string& end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

float readFloat(const char* p) {
  float f;
  std::memcpy(&f, p, sizeof f);  // STL is little-endian, as this machine
  return f;
}

bool readStl(std::ifstream& in, std::streamoff size, Bounds* bounds) {
  char header[84];
  if (size >= 84 && in.read(header, 84)) {
    uint32_t count = 0;
    std::memcpy(&count, header + 80, sizeof count);
    // Binary exactly when the size says so; ASCII files start with "solid" but so may binary ones.
    if (static_cast<std::streamoff>(84) + static_cast<std::streamoff>(count) * 50 == size) {
      char facet[50];
      for (uint32_t i = 0; i < count; ++i) {
        if (!in.read(facet, sizeof facet)) return false;
        for (int v = 0; v < 3; ++v) {
          const char* p = facet + 12 + 12 * v;
          if (!bounds->add(readFloat(p), readFloat(p + 4), readFloat(p + 8))) return false;
        }
      }
      return true;
    }
  }
  in.clear();
  in.seekg(0);
  std::string word;
  while (in >> word) {
    if (word != "vertex") continue;
    double x, y, z;
    if (!(in >> x >> y >> z) || !bounds->add(x, y, z)) return false;
  }
  return true;
}

bool readObj(std::ifstream& in, Bounds* bounds) {
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() < 2 || line[0] != 'v' || (line[1] != ' ' && line[1] != '\t')) continue;
    std::istringstream fields(line.substr(2));
    double x, y, z;
    if (!(fields >> x >> y >> z) || !bounds->add(x, y, z)) return false;
  }
  return true;
}

}  // namespace

bool readMeshBounds(const std::string& path, Vec3* lower, Vec3* upper) {
  const std::string name = lowerCase(path);
  const bool stl = endsWith(name, ".stl"), obj = endsWith(name, ".obj");
  if (!stl && !obj) return false;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;  // a pipe would block the open
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0);
  if (size <= 0) return false;
  Bounds bounds;
  if (!(stl ? readStl(in, size, &bounds) : readObj(in, &bounds))) return false;
  return bounds.result(lower, upper);
}

}  // namespace sim
}  // namespace kalo_toolkit
