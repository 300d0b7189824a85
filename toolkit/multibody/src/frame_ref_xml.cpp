#include <stdexcept>

#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/frame_ref.hpp>

#include "multibody_xml_elements.hpp"

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit {

namespace mbxml {

void writeFrameRef(const FrameRef& ref, util::XmlSink& sink) {
  // A reference is written as the id of its frame; without a frame there is nothing to point at.
  const boost::shared_ptr<Frame> frame = ref.getFrame();
  if (!frame) throw std::runtime_error("Frame reference " + ref.getName() + " has no frame");
  sink.startElement("Frame");
  sink.attribute("ref", integerText(static_cast<long long>(frame->getID()) + 1));
  sink.endElement();
}

}  // namespace mbxml

DOMElement* FrameRef::writeToXMLElement(DOMDocument* doc) const {
  return mbxml::writeDomElement(doc, *this, mbxml::writeFrameRef);
}

}  // namespace kalo_toolkit
