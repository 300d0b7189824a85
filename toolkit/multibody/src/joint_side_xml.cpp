#include <stdexcept>

#include <kalo_toolkit/frame_ref.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/number_text.hpp>
#include <kalo_toolkit/zolt_read_helper.hpp>

#include "multibody_xml_util.hpp"

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit {

DOMElement* Joint::writeJointSideToXMLElement(DOMDocument* doc, const FrameRef* side) {
  if (side == nullptr) throw std::runtime_error("Joint side without frame reference");
  const mbxml::Writer w(doc);
  DOMElement* frameElement = side->writeToXMLElement(doc);
  DOMElement* e = w.element("JointSide");
  w.quoted(e, "name", "");
  DOMElement* connection = w.element("connection");
  connection->appendChild(frameElement);
  e->appendChild(connection);
  return e;
}

boost::shared_ptr<FrameRef> Joint::readJointSideFromXMLElement(const DOMElement* sideParent,
                                                               ReadHelper& helper) {
  auto& context = dynamic_cast<ZoltReadHelper&>(helper);
  static const std::string kMissing = "Error reading joint side.";
  const DOMElement* side = mbxml::requireChild(sideParent, "JointSide", kMissing);
  const DOMElement* connection = mbxml::requireChild(side, "connection", kMissing);
  const DOMElement* frameElement = mbxml::requireChild(connection, "Frame", kMissing);

  boost::shared_ptr<FrameRef> ref(new FrameRef(boost::shared_ptr<Frame>()));
  const std::string refText = mbxml::attributeText(frameElement, "ref");
  if (!refText.empty()) {
    int id = 0;
    if (!util::from_string(id, refText)) throw mbxml::ReadError("Error reading id value for frameref.");
    context.addFrameRef(ref, id);
  }
  return ref;
}

}  // namespace kalo_toolkit
