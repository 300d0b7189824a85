#include <kalo_toolkit/frame.hpp>

#include <algorithm>
#include <string>

namespace kalo_toolkit {

namespace {
const double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
}

Frame::Frame(const std::string& name, int id, KalotLengthUnit positionUnits)
    : ZoltBase(name),
      id(id),
      position{0.0, 0.0, 0.0},
      positionUnits(positionUnits),
      posRefFrame("WORLD"),
      orientation{},
      orientationUnits(KALOT_ANGLE_RAD),
      orientationType(KALOT_ROT_3X3),
      orientationRefFrame("WORLD") {
  std::copy(kIdentity, kIdentity + 9, orientation);
}

Frame::Frame(const std::string& name, int id, const double* position, KalotLengthUnit positionUnits,
             const std::string& posRefFrame, const double* orientation, KalotAngleUnit orientationUnits,
             KalotRotType orientationType, const std::string& orientationRefFrame)
    : ZoltBase(name),
      id(id),
      position{0.0, 0.0, 0.0},
      positionUnits(positionUnits),
      posRefFrame(posRefFrame),
      orientation{},
      orientationUnits(orientationUnits),
      orientationType(orientationType),
      orientationRefFrame(orientationRefFrame) {
  setPosition(position);
  setOrientation(orientation);
}

Frame::~Frame() = default;

void Frame::setPosition(const double* p) {
  if (p) std::copy(p, p + 3, position);
}

void Frame::setOrientation(const double* o) {
  if (o) std::copy(o, o + 9, orientation);
}

void Frame::setAutoName(long long n) { setName("CS" + std::to_string(n + 1)); }

}  // namespace kalo_toolkit
