#include <kalo_toolkit/primitive.hpp>

#include <cmath>

#include <kalo_toolkit/enum_text.hpp>

namespace kalo_toolkit {

Primitive::Primitive(KalotPrimType type)
    : ZoltBase(std::string()), axis{0.0, 0.0, 0.0}, refFrame("WORLD"), type(type) {}

Primitive::Primitive(const std::string& typeName, const double* axis, const std::string& refFrame)
    : ZoltBase(typeName), axis{0.0, 0.0, 0.0}, refFrame(refFrame), type(util::fromStrToPrimType(typeName)) {
  setAxis(axis);
}

Primitive::Primitive(KalotPrimType type, const double* axis, const std::string& refFrame)
    : ZoltBase(util::fromPrimTypeToStr(type)), axis{0.0, 0.0, 0.0}, refFrame(refFrame), type(type) {
  setAxis(axis);
}

Primitive::~Primitive() = default;

void Primitive::setAxis(const double* a) {
  if (!a) return;
  axis[0] = a[0];
  axis[1] = a[1];
  axis[2] = a[2];
  normalizeAxis();
}

void Primitive::normalizeAxis() {
  const double len = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
  // A (near) zero axis carries no direction; dividing would only amplify noise.
  if (len > 1e-6) {
    axis[0] /= len;
    axis[1] /= len;
    axis[2] /= len;
  }
}

}  // namespace kalo_toolkit
