#include <stdexcept>

#include <kalo_toolkit/frame_ref.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/primitive.hpp>

#include "multibody_xml_util.hpp"

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit {

DOMElement* Joint::writeToXMLElement(DOMDocument* doc) const {
  const std::string typeName = getTypeName();
  if (typeName.empty()) throw std::runtime_error("Joint " + getName() + " has no type text");
  const mbxml::Writer w(doc);
  DOMElement* e = w.element(typeName.c_str());
  w.quoted(e, "name", getName());
  w.quoted(e, "nodeID", getNodeID());
  w.quoted(e, "status", status);
  DOMElement* base = w.element("base");
  base->appendChild(writeJointSideToXMLElement(doc, baseFrame.get()));
  e->appendChild(base);
  DOMElement* follower = w.element("follower");
  follower->appendChild(writeJointSideToXMLElement(doc, followerFrame.get()));
  e->appendChild(follower);
  DOMElement* prims = w.element("primitives");
  for (const auto& p : primitives) {
    if (!p) throw std::runtime_error("Joint " + getName() + " has an empty primitive");
    prims->appendChild(p->writeToXMLElement(doc));
  }
  w.closeList(prims);
  e->appendChild(prims);
  return e;
}

boost::shared_ptr<Joint> Joint::readFromXMLElement(const DOMElement* element, ReadHelper& helper) {
  const std::string jointName = mbxml::childText(element, "name");
  const std::string jointStatus = mbxml::childText(element, "status");
  const std::string node = mbxml::childText(element, "nodeID");
  const std::string missing = "Error reading joint side.";
  boost::shared_ptr<FrameRef> base =
      readJointSideFromXMLElement(mbxml::requireChild(element, "base", missing), helper);
  boost::shared_ptr<FrameRef> follower =
      readJointSideFromXMLElement(mbxml::requireChild(element, "follower", missing), helper);
  boost::shared_ptr<Joint> joint(new Joint(jointName, base, follower, ""));
  joint->setStatus(jointStatus);
  joint->setNodeID(node);
  mbxml::forEachChild(mbxml::firstChild(element, "primitives"), "Primitive", [&](const DOMElement* p) {
    joint->addPrimitive(Primitive::readFromXMLElement(p, helper));
  });
  return joint;
}

}  // namespace kalo_toolkit
