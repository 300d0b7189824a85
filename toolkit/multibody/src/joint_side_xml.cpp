#include <stdexcept>

#include <kalo_toolkit/frame_ref.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/number_text.hpp>
#include <kalo_toolkit/zolt_read_helper.hpp>

#include "multibody_xml_elements.hpp"

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit {

namespace mbxml {

void writeJointSide(const FrameRef* side, util::XmlSink& sink) {
  if (side == nullptr) throw std::runtime_error("Joint side without frame reference");
  sink.startElement("JointSide");
  sink.quotedElement("name", "");
  sink.startElement("connection");
  writeFrameRef(*side, sink);
  sink.endElement();
  sink.endElement();
}

template <typename E>
boost::shared_ptr<FrameRef> readJointSide(const E& sideParent, ReadHelper& helper) {
  auto& context = dynamic_cast<ZoltReadHelper&>(helper);
  static const std::string kMissing = "Error reading joint side.";
  const E side = requireChild(sideParent, "JointSide", kMissing);
  const E connection = requireChild(side, "connection", kMissing);
  const E frameElement = requireChild(connection, "Frame", kMissing);

  boost::shared_ptr<FrameRef> ref(new FrameRef(boost::shared_ptr<Frame>()));
  const std::string refText = frameElement.attribute("ref");
  if (!refText.empty()) {
    int id = 0;
    if (!util::from_string(id, refText))
      failAt(frameElement, nullptr, "Error reading id value for frameref.");
    context.addFrameRef(ref, id);
  }
  return ref;
}
KALO_MBXML_INSTANTIATE(readJointSide, FrameRef);

}  // namespace mbxml

DOMElement* Joint::writeJointSideToXMLElement(DOMDocument* doc, const FrameRef* side) {
  util::DomSink sink(doc, nullptr);
  mbxml::writeJointSide(side, sink);
  return sink.first();
}

boost::shared_ptr<FrameRef> Joint::readJointSideFromXMLElement(const DOMElement* sideParent,
                                                               ReadHelper& helper) {
  return mbxml::readJointSide(mbxml::DomElement(sideParent), helper);
}

}  // namespace kalo_toolkit
