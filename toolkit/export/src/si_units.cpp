#include "si_units.hpp"

namespace kalo_toolkit {
namespace sim {

namespace {
constexpr double kInch = 0.0254;
constexpr double kFoot = 0.3048;
constexpr double kPound = 0.45359237;
// A slug is the mass that one pound-force accelerates at one foot per second squared.
constexpr double kSlug = kPound * 9.80665 / kFoot;
}  // namespace

double metresPer(KalotLengthUnit unit) {
  switch (static_cast<int>(unit)) {
    case 0:
      return 1.0;
    case 1:
      return 0.01;
    case 2:
      return 0.001;
    case 3:
      return 1000.0;
    case 4:
      return kInch;
    case 5:
      return kFoot;
    case 6:
      return 1609.344;
    case 7:
      return 0.9144;
    default:
      return 0.0;
  }
}

double kilogramsPer(KalotMassUnit unit) {
  switch (static_cast<int>(unit)) {
    case 0:
      return 1.0;
    case 1:
      return 1e-3;
    case 2:
      return 1e-6;
    case 3:
      return kPound;
    case 4:
      return kPound / 16.0;
    case 5:
      return kSlug;
    default:
      return 0.0;
  }
}

double kilogramSquareMetresPer(KalotInertiaUnit unit) {
  switch (static_cast<int>(unit)) {
    case 0:
      return 1e-3 * 1e-4;  // g*cm^2
    case 1:
      return 1.0;
    case 2:
      return kSlug * kInch * kInch;
    case 3:
      return kSlug * kFoot * kFoot;
    case 4:
      return kPound * kInch * kInch;
    case 5:
      return kPound * kFoot * kFoot;
    default:
      return 0.0;
  }
}

}  // namespace sim
}  // namespace kalo_toolkit
