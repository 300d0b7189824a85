#include <kalo_toolkit/zolt_read_helper.hpp>

#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/frame_ref.hpp>

namespace kalo_toolkit {

ZoltReadHelper::ZoltReadHelper() : subsystemDepth(0) {}

ZoltReadHelper::~ZoltReadHelper() = default;

bool ZoltReadHelper::addFrame(int id, const boost::shared_ptr<Frame>& frame) {
  return frames.emplace(id, frame).second;
}

void ZoltReadHelper::replaceFrame(int id, const boost::shared_ptr<Frame>& frame) { frames[id] = frame; }

boost::shared_ptr<Frame> ZoltReadHelper::findFrame(int id) const {
  auto it = frames.find(id);
  return it == frames.end() ? boost::shared_ptr<Frame>() : it->second;
}

void ZoltReadHelper::addFrameRef(const boost::shared_ptr<FrameRef>& ref, int id) {
  frameRefs.emplace_back(ref, id);
}

void ZoltReadHelper::resolveFrameRefs() {
  for (const auto& entry : frameRefs) {
    if (boost::shared_ptr<Frame> frame = findFrame(entry.second)) entry.first->setFrame(frame);
  }
}

}  // namespace kalo_toolkit
