#include <stdexcept>

#include <kalo_toolkit/frame_ref.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/primitive.hpp>

#include "multibody_xml_elements.hpp"

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit {

namespace mbxml {

void writeJoint(const Joint& j, util::XmlSink& sink) {
  const std::string typeName = j.getTypeName();
  if (typeName.empty()) throw std::runtime_error("Joint " + j.getName() + " has no type text");
  sink.startElement(typeName.c_str());
  sink.quotedElement("name", j.getName());
  sink.quotedElement("nodeID", j.getNodeID());
  sink.quotedElement("status", j.getStatus());
  sink.startElement("base");
  writeJointSide(j.getBaseFrame().get(), sink);
  sink.endElement();
  sink.startElement("follower");
  writeJointSide(j.getFollowerFrame().get(), sink);
  sink.endElement();
  sink.startElement("primitives");
  for (size_t i = 0; i < j.getPrimitiveCount(); ++i) {
    const boost::shared_ptr<Primitive> p = j.getPrimitiveAt(i);
    if (!p) throw std::runtime_error("Joint " + j.getName() + " has an empty primitive");
    writePrimitive(*p, sink);
  }
  if (j.getPrimitiveCount() == 0) sink.text("");  // an empty list stays present
  sink.endElement();
  sink.endElement();
}

template <typename E>
boost::shared_ptr<Joint> readJoint(const E& element, ReadHelper& helper) {
  const std::string jointName = childText(element, "name");
  const std::string jointStatus = childText(element, "status");
  const std::string node = childText(element, "nodeID");
  const std::string missing = "Error reading joint side.";
  boost::shared_ptr<FrameRef> base = readJointSide(requireChild(element, "base", missing), helper);
  boost::shared_ptr<FrameRef> follower = readJointSide(requireChild(element, "follower", missing), helper);
  boost::shared_ptr<Joint> joint(new Joint(jointName, base, follower, ""));
  joint->setStatus(jointStatus);
  joint->setNodeID(node);
  element.child("primitives").forEachChild("Primitive", [&](const E& p) {
    joint->addPrimitive(readPrimitive(p, helper));
  });
  return joint;
}
KALO_MBXML_INSTANTIATE(readJoint, Joint);

}  // namespace mbxml

DOMElement* Joint::writeToXMLElement(DOMDocument* doc) const {
  return mbxml::writeDomElement(doc, *this, mbxml::writeJoint);
}

boost::shared_ptr<Joint> Joint::readFromXMLElement(const DOMElement* element, ReadHelper& helper) {
  return mbxml::readJoint(mbxml::DomElement(element), helper);
}

}  // namespace kalo_toolkit
