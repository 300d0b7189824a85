#include <kalo_csts2connections/frame.hpp>

namespace kalo::csts2connections {

Frame::Frame(const ombra_math::Transform3_T& transform, const std::vector<std::string>& instancePath)
    : transform(transform), instancePath(instancePath) {}

}  // namespace kalo::csts2connections
