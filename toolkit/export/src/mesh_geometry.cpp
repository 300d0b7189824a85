#include <kalo_toolkit/mesh_geometry.hpp>

#include "rigid_math.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kalo_toolkit {
namespace sim {

namespace {

// Larger files are not meshes a part is drawn from; refusing them bounds memory.
constexpr std::size_t kMaxBytes = std::size_t{512} << 20;

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

bool finiteVec(const Vec3& v) { return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]); }

float readFloat(const char* p) {
  float f;
  std::memcpy(&f, p, sizeof f);  // little-endian, as the format is and as our targets are
  return f;
}

void addTriangle(MeshGeometry* mesh, const Vec3& a, const Vec3& b, const Vec3& c) {
  const auto n = static_cast<std::uint32_t>(mesh->vertices.size());
  mesh->vertices.push_back(a);
  mesh->vertices.push_back(b);
  mesh->vertices.push_back(c);
  mesh->triangles.push_back({n, n + 1, n + 2});
}

bool parseBinaryStl(const std::string& bytes, MeshGeometry* mesh, std::string* error) {
  std::uint32_t count;
  std::memcpy(&count, bytes.data() + 80, 4);
  for (std::uint32_t t = 0; t < count; ++t) {
    const char* p = bytes.data() + 84 + std::size_t{50} * t + 12;  // after the facet normal
    Vec3 v[3];
    for (int k = 0; k < 3; ++k)
      for (int i = 0; i < 3; ++i) v[k][static_cast<std::size_t>(i)] = readFloat(p + 12 * k + 4 * i);
    if (!finiteVec(v[0]) || !finiteVec(v[1]) || !finiteVec(v[2]))
      return fail(error,
                  "triangle " + std::to_string(t + 1) + " has a coordinate that is not a finite number");
    addTriangle(mesh, v[0], v[1], v[2]);
  }
  return true;
}

bool parseAsciiStl(const std::string& bytes, MeshGeometry* mesh, std::string* error) {
  std::istringstream in(bytes);
  in.imbue(std::locale::classic());
  std::string word;
  std::vector<Vec3> corners;
  while (in >> word) {
    if (word != "vertex") continue;
    Vec3 v;
    if (!(in >> v[0] >> v[1] >> v[2]) || !finiteVec(v))
      return fail(error, "vertex " + std::to_string(corners.size() + 1) + " is not three finite numbers");
    corners.push_back(v);
  }
  if (corners.size() % 3 != 0) return fail(error, "the vertices do not make whole triangles");
  for (std::size_t i = 0; i < corners.size(); i += 3)
    addTriangle(mesh, corners[i], corners[i + 1], corners[i + 2]);
  return true;
}

bool parseObj(const std::string& bytes, MeshGeometry* mesh, std::string* error) {
  std::istringstream in(bytes);
  std::string line;
  std::size_t lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    std::istringstream words(line);
    words.imbue(std::locale::classic());
    std::string kind;
    if (!(words >> kind)) continue;
    const std::string where = "line " + std::to_string(lineNo);
    if (kind == "v") {
      Vec3 v;
      if (!(words >> v[0] >> v[1] >> v[2]) || !finiteVec(v))
        return fail(error, where + ": a vertex needs three finite numbers");
      mesh->vertices.push_back(v);
    } else if (kind == "f") {
      std::vector<std::uint32_t> face;
      std::string token;
      while (words >> token) {
        // "v", "v/vt", "v//vn" or "v/vt/vn": only the position index counts; negative counts back.
        const std::string first = token.substr(0, token.find('/'));
        char* end = nullptr;
        const long long index = std::strtoll(first.c_str(), &end, 10);
        const auto n = static_cast<long long>(mesh->vertices.size());
        const long long resolved = index < 0 ? n + index : index - 1;
        if (first.empty() || *end != '\0' || index == 0 || resolved < 0 || resolved >= n)
          return fail(error, where + ": face index '" + token + "' names no vertex defined before it");
        face.push_back(static_cast<std::uint32_t>(resolved));
      }
      if (face.size() < 3) return fail(error, where + ": a face needs three vertices");
      for (std::size_t i = 1; i + 1 < face.size(); ++i)
        mesh->triangles.push_back({face[0], face[i], face[i + 1]});
    }
  }
  return true;
}

}  // namespace

bool parseMesh(const std::string& bytes, const std::string& extension, MeshGeometry* mesh,
               std::string* error) {
  *mesh = MeshGeometry();
  const std::string kind = lower(extension);
  bool ok = false;
  if (kind == "stl") {
    // Binary when the size is exactly what the triangle count says; a text
    // file cannot match that by chance and still start with "solid " plus facets.
    std::uint32_t count = 0;
    if (bytes.size() >= 84) std::memcpy(&count, bytes.data() + 80, 4);
    if (bytes.size() >= 84 && bytes.size() == 84 + std::size_t{50} * count)
      ok = parseBinaryStl(bytes, mesh, error);
    else if (bytes.compare(0, 5, "solid") == 0)
      ok = parseAsciiStl(bytes, mesh, error);
    else
      return fail(error, "neither a binary STL (size does not match its triangle count) nor an ASCII STL");
  } else if (kind == "obj") {
    ok = parseObj(bytes, mesh, error);
  } else {
    return fail(error, "mesh kind '" + extension + "' is not read (only STL and OBJ)");
  }
  if (ok && mesh->triangles.empty()) return fail(error, "the mesh has no triangles");
  return ok;
}

bool readMeshFile(const std::string& path, MeshGeometry* mesh, std::string* error) {
  // Opening a pipe would wait for a writer, and a device may never end: only files are read.
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
    return fail(error, "'" + path + "' is not a regular file");
  std::ifstream in(path, std::ios::binary);
  if (!in) return fail(error, "cannot open '" + path + "'");
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0 || static_cast<std::size_t>(size) > kMaxBytes)
    return fail(error, "'" + path + "' is larger than a mesh file is read");
  in.seekg(0);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (!in.read(&bytes[0], size)) return fail(error, "cannot read '" + path + "'");
  const std::size_t dot = path.find_last_of('.');
  const std::size_t slash = path.find_last_of('/');
  const std::string extension =
      dot == std::string::npos || (slash != std::string::npos && dot < slash) ? "" : path.substr(dot + 1);
  std::string why;
  if (!parseMesh(bytes, extension, mesh, &why)) return fail(error, "'" + path + "': " + why);
  return true;
}

MeshMassProperties meshMassProperties(const MeshGeometry& mesh) {
  MeshMassProperties p;
  if (mesh.vertices.empty()) return p;
  p.lower = p.upper = mesh.vertices[0];
  Vec3 mean{};
  for (const Vec3& v : mesh.vertices)
    for (std::size_t i = 0; i < 3; ++i) {
      p.lower[i] = std::min(p.lower[i], v[i]);
      p.upper[i] = std::max(p.upper[i], v[i]);
      mean[i] += v[i] / static_cast<double>(mesh.vertices.size());
    }
  // Tetrahedra from the vertices' mean, which keeps the sums well conditioned
  // for a part placed far from its file's origin.
  double volume = 0.0;
  Vec3 moment{};
  double cov[3][3] = {};
  for (const auto& t : mesh.triangles) {
    const Vec3 a = sub(mesh.vertices[t[0]], mean), b = sub(mesh.vertices[t[1]], mean),
               c = sub(mesh.vertices[t[2]], mean);
    const Vec3 bc = cross(b, c);
    const double v = (a[0] * bc[0] + a[1] * bc[1] + a[2] * bc[2]) / 6.0;
    const Vec3 s{a[0] + b[0] + c[0], a[1] + b[1] + c[1], a[2] + b[2] + c[2]};
    volume += v;
    for (std::size_t i = 0; i < 3; ++i) {
      moment[i] += v * s[i] / 4.0;
      for (std::size_t j = 0; j < 3; ++j)
        cov[i][j] += v / 20.0 * (a[i] * a[j] + b[i] * b[j] + c[i] * c[j] + s[i] * s[j]);
    }
  }
  if (volume == 0.0) return p;
  // Inward winding gives a negative volume: every sum changes sign with it.
  const double sign = volume < 0 ? -1.0 : 1.0;
  p.volume = volume * sign;
  Vec3 g{};
  for (std::size_t i = 0; i < 3; ++i) g[i] = moment[i] / volume;
  double c[3][3];
  for (std::size_t i = 0; i < 3; ++i)
    for (std::size_t j = 0; j < 3; ++j) c[i][j] = sign * cov[i][j] - p.volume * g[i] * g[j];
  const double trace = c[0][0] + c[1][1] + c[2][2];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      at(p.inertia, i, j) =
          (i == j ? trace : 0.0) - c[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
  for (std::size_t i = 0; i < 3; ++i) p.centroid[i] = g[i] + mean[i];
  return p;
}

}  // namespace sim
}  // namespace kalo_toolkit
