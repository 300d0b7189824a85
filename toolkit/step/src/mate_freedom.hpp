#pragma once

// What a set of mates leaves free between two parts, named as a joint: the
// null space of the mates' conditions on the relative twist.

#include <string>
#include <vector>

#include "mate_search.hpp"

namespace kalo_step::detail {

/// "fixed", "revolute", "prismatic", "cylindrical", "ball", "planar", or "N freedoms".
std::string jointOfMates(const std::vector<Mate>& mates, double angleTolerance);

}  // namespace kalo_step::detail
