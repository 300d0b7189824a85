#pragma once

#include <boost/shared_ptr.hpp>

#include <kalo_toolkit/xml_forward.hpp>
#include <kalo_toolkit/zolt_base.hpp>

namespace kalo_toolkit {

class Frame;
class ReadHelper;

/// A ground with exactly one frame of its own (named "CS1" when given unnamed).
class KALO_TOOLKIT_API Ground : public ZoltBase {
 public:
  Ground(const std::string& name, const boost::shared_ptr<Frame>& frame);
  ~Ground() override;

  const boost::shared_ptr<Frame>& getFrame() const { return frame; }

  xercesc::DOMElement* writeToXMLElement(xercesc::DOMDocument* doc) const;
  static boost::shared_ptr<Ground> readFromXMLElement(const xercesc::DOMElement* element, ReadHelper& helper);

 private:
  boost::shared_ptr<Frame> frame;
};

}  // namespace kalo_toolkit
