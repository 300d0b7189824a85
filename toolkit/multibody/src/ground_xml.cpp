#include <stdexcept>

#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/ground.hpp>
#include <kalo_toolkit/zolt_read_helper.hpp>

#include "multibody_xml_elements.hpp"

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit {

namespace mbxml {

void writeGround(const Ground& g, util::XmlSink& sink) {
  if (!g.getFrame()) throw std::runtime_error("Ground " + g.getName() + " has no frame");
  sink.startElement("Ground");
  sink.quotedElement("name", g.getName());
  sink.quotedElement("nodeID", g.getNodeID());
  sink.quotedElement("status", "");
  sink.startElement("frame");
  writeFrame(*g.getFrame(), sink);
  sink.endElement();
  sink.endElement();
}

template <typename E>
boost::shared_ptr<Ground> readGround(const E& element, ReadHelper& helper) {
  auto& context = dynamic_cast<ZoltReadHelper&>(helper);
  const std::string groundName = childText(element, "name");
  const std::string node = childText(element, "nodeID");
  const std::string missing = "Error reading frame for ground : " + groundName;
  const E frameElement = requireChild(requireChild(element, "frame", missing), "Frame", missing);
  boost::shared_ptr<Frame> groundFrame = readFrame(frameElement, helper);
  // Unlike body frames, a ground frame takes its id over from any earlier frame.
  context.replaceFrame(groundFrame->getID(), groundFrame);
  boost::shared_ptr<Ground> ground(new Ground(groundName, groundFrame));
  ground->setNodeID(node);
  groundFrame->setParent(ground);
  return ground;
}
KALO_MBXML_INSTANTIATE(readGround, Ground);

}  // namespace mbxml

DOMElement* Ground::writeToXMLElement(DOMDocument* doc) const {
  return mbxml::writeDomElement(doc, *this, mbxml::writeGround);
}

boost::shared_ptr<Ground> Ground::readFromXMLElement(const DOMElement* element, ReadHelper& helper) {
  return mbxml::readGround(mbxml::DomElement(element), helper);
}

}  // namespace kalo_toolkit
