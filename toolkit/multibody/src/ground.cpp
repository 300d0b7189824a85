#include <kalo_toolkit/ground.hpp>

#include <kalo_toolkit/frame.hpp>

namespace kalo_toolkit {

Ground::Ground(const std::string& name, const boost::shared_ptr<Frame>& frame)
    : ZoltBase(name), frame(frame) {
  if (frame && frame->getName().empty()) frame->setAutoName(0);
}

Ground::~Ground() = default;

}  // namespace kalo_toolkit
