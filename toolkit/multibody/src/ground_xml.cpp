#include <stdexcept>

#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/ground.hpp>
#include <kalo_toolkit/zolt_read_helper.hpp>

#include "multibody_xml_util.hpp"

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit {

DOMElement* Ground::writeToXMLElement(DOMDocument* doc) const {
  if (!frame) throw std::runtime_error("Ground " + getName() + " has no frame");
  const mbxml::Writer w(doc);
  DOMElement* e = w.element("Ground");
  w.quoted(e, "name", getName());
  w.quoted(e, "nodeID", getNodeID());
  w.quoted(e, "status", "");
  DOMElement* holder = w.element("frame");
  holder->appendChild(frame->writeToXMLElement(doc));
  e->appendChild(holder);
  return e;
}

boost::shared_ptr<Ground> Ground::readFromXMLElement(const DOMElement* element, ReadHelper& helper) {
  auto& context = dynamic_cast<ZoltReadHelper&>(helper);
  const std::string groundName = mbxml::childText(element, "name");
  const std::string node = mbxml::childText(element, "nodeID");
  const std::string missing = "Error reading frame for ground : " + groundName;
  const DOMElement* frameElement =
      mbxml::requireChild(mbxml::requireChild(element, "frame", missing), "Frame", missing);
  boost::shared_ptr<Frame> groundFrame = Frame::readFromXMLElement(frameElement, helper);
  // Unlike body frames, a ground frame takes its id over from any earlier frame.
  context.replaceFrame(groundFrame->getID(), groundFrame);
  boost::shared_ptr<Ground> ground(new Ground(groundName, groundFrame));
  ground->setNodeID(node);
  groundFrame->setParent(ground);
  return ground;
}

}  // namespace kalo_toolkit
