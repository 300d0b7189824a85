#pragma once

// Shared steps of the consumer tests: where the four models are, exporting
// one of them, mesh files for its geometry, and loading MJCF into MuJoCo.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include <mujoco/mujoco.h>

#include <kalo_toolkit/sim_export.hpp>

#include "kalo_expectations.hpp"

namespace kalo_consumers {

/// The four proof models: "robot_arm", "slider_crank", "four_bar", "nested_mast".
const std::vector<std::string>& modelNames();
std::string modelPath(const std::string& name);

/// A fresh folder for one test's files.
std::string scratchDir(const std::string& name);

/// Writes a small tetrahedron STL for every geometry file of the model into `dir`.
void writeMeshes(const ExpectedModel& model, const std::string& dir);

/// A binary STL of the given triangles (vertex indices), with zero normals.
void writeBinaryStl(const std::string& path, const std::vector<std::array<float, 3>>& vertices,
                    const std::vector<std::array<int, 3>>& faces);

/// Exports the kalo file in `format` with meshes below `meshDir`, without actuators and collision
/// (the bare mechanics); fails the test when the export does.
std::string exportText(const std::string& path, kalo_toolkit::sim::Format format, const std::string& meshDir);

struct MjDeleter {
  void operator()(mjModel* m) const { mj_deleteModel(m); }
  void operator()(mjData* d) const { mj_deleteData(d); }
};
using MjModelPtr = std::unique_ptr<mjModel, MjDeleter>;
using MjDataPtr = std::unique_ptr<mjData, MjDeleter>;

/// Writes `text` to `file` and lets MuJoCo compile it; `error` gets MuJoCo's error text.
MjModelPtr loadIntoMujoco(const std::string& text, const std::string& file, std::string* error);

/// One model, exported to MJCF with its meshes and compiled by MuJoCo.
struct MujocoCase {
  ExpectedModel expected;
  MjModelPtr model;
  std::string error;
};
/// Fails the calling test and leaves `model` empty when any step fails.
void loadMujocoCase(const std::string& name, MujocoCase* c);

/// Position in world of the MJCF site of a kalo frame.
Vec3 sitePosition(const mjModel* m, const mjData* d, const std::string& site);

}  // namespace kalo_consumers
