#pragma once

#include <kalo_csts2connections/export.hpp>
#include <ombra_math/ombra_math.hpp>

#include <string>
#include <vector>

namespace kalo::csts2connections {

// A pose in the coordinates of the instance the frame is attached to.
class KALO_CSTS2CONNECTIONS_API Frame {
 public:
  Frame() = default;
  Frame(const ombra_math::Transform3_T& transform, const std::vector<std::string>& instancePath);
  Frame(const Frame&) = default;
  Frame& operator=(const Frame&) = default;
  Frame(Frame&&) = default;
  Frame& operator=(Frame&&) = default;
  virtual ~Frame() = default;

  ombra_math::Transform3_T transform;
  std::vector<std::string> instancePath;
};

}  // namespace kalo::csts2connections
