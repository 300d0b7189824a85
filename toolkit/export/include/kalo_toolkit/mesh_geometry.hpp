#pragma once

// Triangle meshes as the audit reads them (STL, binary or ASCII, and OBJ) and
// their mass properties at unit density. The files are untrusted: a reader
// refuses what it cannot read whole instead of guessing.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <kalo_toolkit/export.hpp>

namespace kalo_toolkit {
namespace sim {

using MeshPoint = std::array<double, 3>;

struct MeshGeometry {
  std::vector<MeshPoint> vertices;
  std::vector<std::array<std::uint32_t, 3>> triangles;
};

/// Parses the bytes of an STL or OBJ file, chosen by `extension` ("stl", "obj", any case).
/// False with a reason when the bytes are not a readable mesh of that kind.
KALO_TOOLKIT_API bool parseMesh(const std::string& bytes, const std::string& extension, MeshGeometry* mesh,
                                std::string* error);

/// Reads `path` and parses it by its extension.
KALO_TOOLKIT_API bool readMeshFile(const std::string& path, MeshGeometry* mesh, std::string* error);

struct MeshMassProperties {
  double volume = 0.0;  ///< enclosed volume, in the file's units cubed (positive for either winding)
  MeshPoint centroid{};
  std::array<double, 9> inertia{};  ///< about the centroid, at unit density, column by column
  MeshPoint lower{}, upper{};       ///< bounds of the vertices
};

/// Mass properties of the closed surface, by the divergence theorem over the
/// triangles (cavities wound inward subtract, as they should).
KALO_TOOLKIT_API MeshMassProperties meshMassProperties(const MeshGeometry& mesh);

}  // namespace sim
}  // namespace kalo_toolkit
