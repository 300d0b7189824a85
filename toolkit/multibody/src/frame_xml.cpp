#include <kalo_toolkit/enum_text.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/number_text.hpp>
#include <kalo_toolkit/xml_helpers.hpp>

#include "multibody_xml_util.hpp"

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit {

using mbxml::childText;

DOMElement* Frame::writeToXMLElement(DOMDocument* doc) const {
  const mbxml::Writer w(doc);
  DOMElement* e = w.element("Frame");
  // The file stores id + 1; a frame without id has no ref at all.
  if (id != -1) {
    e->setAttribute(u"ref", util::toXMLString(mbxml::integerText(static_cast<long long>(id) + 1)).c_str());
  }
  w.quoted(e, "name", getName());
  w.quoted(e, "displayName", displayName);
  w.quoted(e, "nodeID", getNodeID());
  w.numbers(e, "position", position, 3);
  w.quoted(e, "positionOrigin", posRefFrame);
  w.quoted(e, "positionReferenceFrame", posRefFrame);
  w.quoted(e, "positionUnits", util::fromLengthUnitToStr(positionUnits));
  w.numbers(e, "orientation", orientation, 9);
  w.quoted(e, "orientationType", util::fromRotTypeToStr(orientationType));
  w.quoted(e, "orientationUnits", util::fromAngleUnitToStr(orientationUnits));
  w.quoted(e, "orientationReferenceFrame", orientationRefFrame);
  return e;
}

boost::shared_ptr<Frame> Frame::readFromXMLElement(const DOMElement* element, ReadHelper& /*helper*/) {
  const std::string frameName = childText(element, "name");
  const std::string display = childText(element, "displayName");
  const std::string node = childText(element, "nodeID");

  double pos[3] = {0, 0, 0};
  if (!util::from_string(pos, 3, childText(element, "position"))) {
    throw mbxml::ReadError("Error reading position value for frame: " + frameName);
  }
  const std::string posRef = childText(element, "positionOrigin");
  const KalotLengthUnit posUnits = util::fromStrToLengthUnit(childText(element, "positionUnits"));
  double orient[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  if (!util::from_string(orient, 9, childText(element, "orientation"))) {
    throw mbxml::ReadError("Error reading orientation value for frame : " + frameName);
  }
  const KalotRotType orientType = util::fromStrToRotType(childText(element, "orientationType"));
  const KalotAngleUnit orientUnits = util::fromStrToAngleUnit(childText(element, "orientationUnits"));
  const std::string orientRef = childText(element, "orientationReferenceFrame");

  int frameId = -1;
  const std::string ref = mbxml::attributeText(element, "ref");
  if (!ref.empty() && !util::from_string(frameId, ref)) {
    throw mbxml::ReadError("Error reading id value for frame: " + frameName);
  }

  boost::shared_ptr<Frame> frame(
      new Frame(frameName, frameId, pos, posUnits, posRef, orient, orientUnits, orientType, orientRef));
  frame->setNodeID(node);
  frame->setDisplayName(display);
  return frame;
}

}  // namespace kalo_toolkit
