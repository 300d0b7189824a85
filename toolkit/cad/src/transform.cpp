#include <kalo_toolkit/transform.hpp>

#include <algorithm>

namespace kalo_toolkit {

Transform::Transform() : rotation{1, 0, 0, 0, 1, 0, 0, 0, 1}, translation{0, 0, 0}, scale(1.0) {}

Transform::Transform(const double* rotation, const double* translation, double scale)
    : rotation{1, 0, 0, 0, 1, 0, 0, 0, 1}, translation{0, 0, 0}, scale(scale) {
  if (rotation) std::copy(rotation, rotation + 9, this->rotation);
  if (translation) std::copy(translation, translation + 3, this->translation);
}

Transform::~Transform() = default;

}  // namespace kalo_toolkit
