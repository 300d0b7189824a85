#pragma once

#include <string>
#include <vector>

namespace kalo_toolkit {
class CadModel;
}

namespace kalo_toolkit::detail {

/// Lines about constraints that convert, but perhaps not as meant: a side
/// that names no part (a mistyped path gives one) is taken against its
/// assembly's frame, and a code outside the inference's ranges welds its pair.
/// Walks the constraints the conversion reads: the top's and those of every
/// flexible sub-assembly, once per placement.
std::vector<std::string> conversionNotes(const CadModel& top);

}  // namespace kalo_toolkit::detail
