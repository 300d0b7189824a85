#pragma once

// What a simulator must show for a model as the export writes it: the model's
// bodies with their mass and centre of mass at rest, its freedoms and its loop
// closures. Checks of an exported file compare the consumer's reading with it.

#include <array>
#include <string>
#include <vector>

#include <kalo_toolkit/export.hpp>
#include <kalo_toolkit/sim_export.hpp>

namespace kalo_toolkit {

class ZoltModel;

namespace sim {

struct ModelFacts {
  struct Body {
    std::string name;             ///< its name in the written file
    double mass = 0;              ///< kg, as the model gives it
    std::array<double, 3> com{};  ///< world, m, at rest
  };
  struct Closure {
    std::string name;               ///< the joint's name; MJCF names its equality so
    std::array<double, 3> point{};  ///< world, m: its follower frame at rest, where it holds
  };
  std::vector<Body> bodies;
  double totalMass = 0;    ///< kg
  int treeFreedoms = 0;    ///< freedoms of the model's joints in the spanning tree
  int floatingGroups = 0;  ///< groups of bodies that float, six freedoms each
  /// Freedoms left when the loops close: tree freedoms and floating groups' freedoms less
  /// the independent constraints of the closures at rest.
  int mobility = 0;
  std::vector<Closure> closures;
};

/// The facts of `model` exported with `options`; code 1 and an error as exportToString gives.
KALO_TOOLKIT_API ExportResult exportFacts(const ZoltModel& model, const ExportOptions& options,
                                          ModelFacts* facts);

}  // namespace sim
}  // namespace kalo_toolkit
