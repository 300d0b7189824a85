#pragma once

// Factors that turn the multibody model's units into SI. Each returns 0 for a
// value outside its table, which the callers report as an unknown unit.

#include <kalo_toolkit/kalot_types.h>

namespace kalo_toolkit {
namespace sim {

double metresPer(KalotLengthUnit unit);
double kilogramsPer(KalotMassUnit unit);
double kilogramSquareMetresPer(KalotInertiaUnit unit);

}  // namespace sim
}  // namespace kalo_toolkit
