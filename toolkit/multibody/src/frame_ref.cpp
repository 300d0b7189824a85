#include <kalo_toolkit/frame_ref.hpp>

#include <kalo_toolkit/frame.hpp>

namespace kalo_toolkit {

FrameRef::FrameRef(const boost::shared_ptr<Frame>& frame) : ZoltBase(std::string()), frame(frame) {}

FrameRef::~FrameRef() = default;

const std::string& FrameRef::getName() const {
  if (!name.empty() || !frame) return name;
  return frame->getName();
}

}  // namespace kalo_toolkit
