#pragma once

// The simulation tree as a viewer needs it: the links, freedoms and loop
// closures exactly as the simulator export lays them out (so that a viewer's
// poses equal a simulator's for the exported file), plus what a picture needs
// and the export does not write (mesh files on disk, material colours).
//
// Conventions: SI units, world coordinates at the home pose. A link frame has
// the world's axes at the point of the joint it hangs by; a freedom's axis and
// point are in world coordinates at home; the link's motion is its parent's
// composed with its freedoms in order.

#include <array>
#include <string>
#include <vector>

#include <kalo_toolkit/export.hpp>
#include <kalo_toolkit/sim_export.hpp>

namespace kalo_toolkit {

class ZoltModel;

namespace sim {

struct ViewDof {
  enum Kind { Slide, Hinge, Ball } kind = Hinge;
  std::string name;
  std::array<double, 3> axis{};  ///< unit, world axes (none for a ball)
  std::array<double, 3> point{};
  /// From the settings, as the export writes them: the range (rad or m) and the home value.
  bool limited = false;
  double lower = 0.0, upper = 0.0;
  double home = 0.0;
};

struct ViewLink {
  std::string name;     ///< flat, as in the exported file
  std::string rawName;  ///< the body's own name
  int subsystem = 0;
  int parent = -1;  ///< earlier link, or -1 for the world
  std::array<double, 3> origin{};
  double mass = 0.0;  ///< kg, after the export's bounds
  std::array<double, 3> com{};
  std::array<double, 9> inertia{};  ///< about com, world axes, column by column
  std::vector<ViewDof> dofs;
  bool free = false;  ///< a free joint in MJCF: three slides then a ball, relative to the world
  bool moving = false;
  bool light = false;  ///< made for a massless connector, not a body of the model
  std::string jointName;
  std::string jointRawName;
  int jointSubsystem = 0;
  /// Mesh file as it is read from disk, where the part's own frame places it; empty: none.
  std::string meshFile;
  std::array<double, 3> meshPosition{};
  std::array<double, 9> meshRotation{};
  double meshScale = 1.0;
  bool hasColor = false;
  std::array<double, 3> color{};  ///< material colour, 0..1
};

struct ViewClosure {
  std::string name;
  std::string rawName;
  int subsystem = 0;
  int link1 = -1, link2 = -1;  ///< base and follower side; -1: the world
  std::array<double, 3> point{};
  std::vector<ViewDof> dofs;
};

struct ViewSubsystem {
  std::string rawName;
  int parent = -1;
};

struct ViewTree {
  std::string modelName;
  std::vector<ViewSubsystem> subsystems;
  std::vector<ViewLink> links;  ///< parents before children
  std::vector<ViewClosure> closures;
};

/// Lays out the model as the export does with `options` (mesh folder and scale, joint settings).
/// The result's report holds the export's report lines (those of `options.format`), or its
/// error when the model cannot be exported (code 1; 2 for settings that do not fit the model;
/// `view` left empty). Relative mesh references are checked from `folder`, as for a file written there.
KALO_TOOLKIT_API ExportResult buildViewTree(const ZoltModel& model, const ExportOptions& options,
                                            ViewTree* view, const std::string& folder = std::string());

}  // namespace sim
}  // namespace kalo_toolkit
