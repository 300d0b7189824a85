// Mass properties that a simulator rejects are raised to the smallest bound it
// accepts, never silently: the caller reports the returned text.

#include <algorithm>
#include <cmath>

#include "sim_text.hpp"
#include "sim_tree.hpp"

namespace kalo_toolkit {
namespace sim {

namespace {
constexpr double kRelativeMomentFloor = 1e-12;
}  // namespace

std::string boundMassProperties(bool moving, double* mass, Mat3* inertia) {
  std::string what;
  if (moving && !(*mass >= kMinMass)) {
    what = "mass " + number(*mass) + " kg raised to " + number(kMinMass) + " kg";
    *mass = kMinMass;
  }
  Vec3 moments{};
  Mat3 axes{};
  symmetricEigen(*inertia, &moments, &axes);
  const bool zero = moments[0] == 0.0 && moments[2] == 0.0;
  if (!moving && zero) return what;  // a static body may carry nothing

  // A simulator computes the principal moments again from the written text, whose 15
  // significant digits leave the smallest uncertain by about 1e-15 of the largest: a
  // moment kept at zero or at an absolute bound far below that can come back negative.
  const double floor = std::max(moving ? kMinMoment : 0.0, moments[2] * kRelativeMomentFloor);
  Vec3 bounded = moments;
  for (double& m : bounded) m = std::max(m, floor);
  // Triangle inequality of principal moments: the smallest two must reach the
  // largest. A small relative tolerance keeps flat parts, which sit exactly on
  // the limit, unchanged.
  if (bounded[0] + bounded[1] < bounded[2] * (1.0 - 1e-12))
    bounded[0] = (bounded[2] - bounded[1]) * (1.0 + 1e-12);
  if (bounded == moments) return what;

  Mat3 diagonal{};
  for (int i = 0; i < 3; ++i) at(diagonal, i, i) = bounded[i];
  *inertia = rotateTensor(axes, diagonal);
  if (!what.empty()) what += "; ";
  what += "principal moments (" + numbers(moments) + ") kg*m^2 " +
          (moments[0] < 0                         ? "not positive"
           : moments[0] + moments[1] < moments[2] ? "break the triangle inequality"
                                                  : "below the bound") +
          ", raised to (" + numbers(bounded) + ")";
  return what;
}

}  // namespace sim
}  // namespace kalo_toolkit
