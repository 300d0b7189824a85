#pragma once

#include <boost/shared_ptr.hpp>

#include <kalo_toolkit/xml_forward.hpp>
#include <kalo_toolkit/zolt_base.hpp>

namespace kalo_toolkit {

class Frame;
class ReadHelper;

/// A reference to a frame (a joint side or a port). Its own name is empty unless set.
class KALO_TOOLKIT_API FrameRef : public ZoltBase {
 public:
  explicit FrameRef(const boost::shared_ptr<Frame>& frame);
  ~FrameRef() override;

  /// Own name when set, else the frame's name, else empty.
  const std::string& getName() const override;

  boost::shared_ptr<Frame> getFrame() { return frame; }
  boost::shared_ptr<Frame> getFrame() const { return frame; }
  void setFrame(const boost::shared_ptr<Frame>& f) { frame = f; }

  /// A Frame element with only the attribute ref = frame id + 1. The frame must be set.
  xercesc::DOMElement* writeToXMLElement(xercesc::DOMDocument* doc) const;

 private:
  boost::shared_ptr<Frame> frame;
};

}  // namespace kalo_toolkit
