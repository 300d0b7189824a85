#pragma once

// Mates between placed parts, found from their faces in the top assembly's
// coordinates (document units).

#include <string>
#include <vector>

#include <Bnd_Box.hxx>
#include <gp_Dir.hxx>
#include <gp_Pnt.hxx>
#include <gp_Trsf.hxx>

#include "part_geometry.hpp"

namespace kalo_step::detail {

struct PlacedPart {
  const PartGeometry* geometry = nullptr;
  gp_Trsf world;  ///< part coordinates to the top's
};

enum class MateKind { Axis, Face, Ball };

struct Mate {
  MateKind kind = MateKind::Face;
  gp_Pnt point;      ///< on the axis (middle of the overlap), the contact's centre, or the ball's centre
  gp_Dir direction;  ///< the axis, or the first part's outward normal
  double diameter = 0;
  double area = 0;  ///< contact area
};

struct PartPair {
  size_t first = 0, second = 0;  ///< indexes into the placed parts, first < second
  std::vector<Mate> mates;
  std::vector<std::string> touching;  ///< kinds of touching faces that make no mate ("conical")
};

struct MateTolerances {
  double clearance = 0;  ///< radius difference of a fit, document units
  double distance = 0;   ///< coincidence of axes, planes and centres, document units
  double angle = 0;      ///< rad
};

/// Pairs of parts with at least one mate or one touching face of another kind, ordered by
/// (first, second). Candidates come from a sweep over the parts' boxes along x.
std::vector<PartPair> findMates(const std::vector<PlacedPart>& parts, const MateTolerances& tolerances);

}  // namespace kalo_step::detail
