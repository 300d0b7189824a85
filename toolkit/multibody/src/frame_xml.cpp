#include <kalo_toolkit/enum_text.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/number_text.hpp>

#include "multibody_xml_elements.hpp"

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit {

namespace mbxml {

void writeFrame(const Frame& f, util::XmlSink& sink) {
  sink.startElement("Frame");
  // The file stores id + 1; a frame without id has no ref at all.
  if (f.getID() != -1) sink.attribute("ref", integerText(static_cast<long long>(f.getID()) + 1));
  sink.quotedElement("name", f.getName());
  sink.quotedElement("displayName", f.getDisplayName());
  sink.quotedElement("nodeID", f.getNodeID());
  sink.numbersElement("position", f.getPosition(), 3);
  sink.quotedElement("positionOrigin", f.getPosRefFrame());
  sink.quotedElement("positionReferenceFrame", f.getPosRefFrame());
  sink.quotedElement("positionUnits", util::fromLengthUnitToStr(f.getPositionUnits()));
  sink.numbersElement("orientation", f.getOrientation(), 9);
  sink.quotedElement("orientationType", util::fromRotTypeToStr(f.getOrientationType()));
  sink.quotedElement("orientationUnits", util::fromAngleUnitToStr(f.getOrientationUnits()));
  sink.quotedElement("orientationReferenceFrame", f.getOrientationRefFrame());
  sink.endElement();
}

template <typename E>
boost::shared_ptr<Frame> readFrame(const E& element, ReadHelper& /*helper*/) {
  const std::string frameName = childText(element, "name");
  const std::string display = childText(element, "displayName");
  const std::string node = childText(element, "nodeID");

  double pos[3] = {0, 0, 0};
  if (!util::from_string(pos, 3, childText(element, "position"))) {
    failAt(element, "position", "Error reading position value for frame: " + frameName);
  }
  const std::string posRef = childText(element, "positionOrigin");
  const KalotLengthUnit posUnits = util::fromStrToLengthUnit(childText(element, "positionUnits"));
  double orient[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  if (!util::from_string(orient, 9, childText(element, "orientation"))) {
    failAt(element, "orientation", "Error reading orientation value for frame : " + frameName);
  }
  const KalotRotType orientType = util::fromStrToRotType(childText(element, "orientationType"));
  const KalotAngleUnit orientUnits = util::fromStrToAngleUnit(childText(element, "orientationUnits"));
  const std::string orientRef = childText(element, "orientationReferenceFrame");

  int frameId = -1;
  const std::string ref = element.attribute("ref");
  if (!ref.empty() && !util::from_string(frameId, ref)) {
    failAt(element, nullptr, "Error reading id value for frame: " + frameName);
  }

  boost::shared_ptr<Frame> frame(
      new Frame(frameName, frameId, pos, posUnits, posRef, orient, orientUnits, orientType, orientRef));
  frame->setNodeID(node);
  frame->setDisplayName(display);
  return frame;
}
KALO_MBXML_INSTANTIATE(readFrame, Frame);

}  // namespace mbxml

DOMElement* Frame::writeToXMLElement(DOMDocument* doc) const {
  return mbxml::writeDomElement(doc, *this, mbxml::writeFrame);
}

boost::shared_ptr<Frame> Frame::readFromXMLElement(const DOMElement* element, ReadHelper& helper) {
  return mbxml::readFrame(mbxml::DomElement(element), helper);
}

}  // namespace kalo_toolkit
