#include "mesh_check.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace kalo_toolkit {
namespace sim {

namespace {

std::string extensionOf(const std::string& file) {
  const size_t dot = file.rfind('.');
  const size_t slash = file.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string();
  std::string ext = file.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

/// Why the consumer cannot open the mesh; empty when it can.
std::string problemOf(const std::string& file, Format format, const std::string& folder) {
  const std::string ext = extensionOf(file);
  if (format == Format::Mjcf) {
    if (ext != "stl" && ext != "obj" && ext != "msh")
      return "MuJoCo reads STL, OBJ and MSH meshes, not '" + (ext.empty() ? file : "." + ext) + "' files";
  } else if (ext != "stl" && ext != "dae" && ext != "obj") {
    return std::string(format == Format::Sdf ? "SDFormat" : "URDF") +
           " simulators read STL, DAE and OBJ meshes, not '" + (ext.empty() ? file : "." + ext) + "' files";
  }
  const std::string path = file.empty() || file[0] == '/' || folder.empty() ? file : folder + "/" + file;
  // A folder opens too, and opening a pipe blocks: only files are meshes.
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
    return "'" + path + "' is not a regular file";
  std::ifstream probe(path, std::ios::binary);
  if (!probe) return "cannot open '" + path + "' (" + std::strerror(errno) + ")";
  return std::string();
}

}  // namespace

void checkMeshes(SimTree* tree, Format format, bool keepMissing, const std::string& folder) {
  for (SimLink& link : tree->links) {
    if (!link.hasMesh) continue;
    const std::string problem = problemOf(link.mesh.file, format, folder);
    if (problem.empty()) continue;
    const std::string where = "body '" + link.name + "': mesh '" + link.mesh.file + "' ";
    if (format != Format::Mjcf) {
      tree->report.push_back(where + "written, but " + problem);
    } else if (keepMissing) {
      tree->report.push_back(where + "written as asked (--keep-missing-meshes), but " + problem +
                             ": MuJoCo loads the model only once it can");
    } else {
      link.hasMesh = false;
      tree->report.push_back(where + "left out: " + problem);
    }
  }
}

}  // namespace sim
}  // namespace kalo_toolkit
