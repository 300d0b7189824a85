#include <memory>
#include <stdexcept>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/enum_text.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/number_text.hpp>
#include <kalo_toolkit/xml_helpers.hpp>
#include <kalo_toolkit/zolt_read_helper.hpp>

#include "multibody_xml_elements.hpp"

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit {

namespace mbxml {

namespace {

template <typename E>
std::string descendantText(const E& parent, const char* name) {
  const E element = parent.descendant(name);
  return element ? element.text() : std::string();
}

// The material, read as the shared material reader of both files reads it:
// the first MaterialProp element anywhere below the body and the first value
// elements anywhere below that, values that cannot be read left 0.
template <typename E>
std::unique_ptr<kalot_vis_mat_prop> readMaterial(const E& body) {
  const E element = body.descendant("MaterialProp");
  auto prop = std::make_unique<kalot_vis_mat_prop>();
  *prop = kalot_vis_mat_prop{};
  util::from_string(prop->color, 3, descendantText(element, "color"));
  util::from_string(prop->ambient, descendantText(element, "ambient"));
  util::from_string(prop->diffuse, descendantText(element, "diffuse"));
  util::from_string(prop->specular, descendantText(element, "specular"));
  util::from_string(prop->shininess, descendantText(element, "shininess"));
  util::from_string(prop->transparency, descendantText(element, "transparency"));
  util::from_string(prop->emission, descendantText(element, "emission"));
  return prop;
}

}  // namespace

void writeBody(const Body& b, util::XmlSink& sink) {
  sink.startElement("Body");
  sink.quotedElement("name", b.getName());
  sink.quotedElement("nodeID", b.getNodeID());
  sink.quotedElement("status", "");
  sink.numberElement("mass", b.getMass());
  sink.quotedElement("massUnits", util::fromMassUnitToStr(b.getMassUnits()));
  sink.numbersElement("inertia", b.getInertia(), 9);
  sink.quotedElement("inertiaUnits", util::fromInertiaUnitToStr(b.getInertiaUnits()));
  sink.numberElement("volume", b.getVolume());
  sink.quotedElement("volumeUnits", util::fromVolUnitToStr(b.getVolumeUnits()));
  sink.numberElement("surfaceArea", b.getSArea());
  sink.quotedElement("surfaceAreaUnits", util::fromSAreaUnitToStr(b.getSAreaUnits()));
  sink.startElement("frames");
  for (size_t i = 0; i < b.getLinkCount(); ++i) {
    const boost::shared_ptr<Frame> link = b.getLinkAt(i);
    if (!link) throw std::runtime_error("Body " + b.getName() + " has an empty frame");
    writeFrame(*link, sink);
  }
  if (b.getLinkCount() == 0) sink.text("");  // an empty list stays present
  sink.endElement();
  sink.quotedElement("geometryFileName", b.getFileName());
  if (const kalot_vis_mat_prop* mat = b.getColor()) util::writeMaterialProp(sink, *mat);
  sink.endElement();
}

template <typename E>
boost::shared_ptr<Body> readBody(const E& element, ReadHelper& helper) {
  auto& context = dynamic_cast<ZoltReadHelper&>(helper);

  const std::string bodyName = childText(element, "name");
  const std::string node = childText(element, "nodeID");
  double m = 0;
  if (!util::from_string(m, childText(element, "mass"))) {
    failAt(element, "mass", "Error reading mass for body : " + bodyName);
  }
  const std::string mUnits = childText(element, "massUnits");
  double in[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
  if (!util::from_string(in, 9, childText(element, "inertia"))) {
    failAt(element, "inertia", "Error reading inertia for body : " + bodyName);
  }
  const std::string inUnits = childText(element, "inertiaUnits");
  double vol = 0;
  if (!util::from_string(vol, childText(element, "volume"))) {
    failAt(element, "volume", "Error reading volume for body : " + bodyName);
  }
  const std::string volUnits = childText(element, "volumeUnits");
  double area = 0;
  if (!util::from_string(area, childText(element, "surfaceArea"))) {
    failAt(element, "surfaceArea", "Error reading surfaceArea for body : " + bodyName);
  }
  const std::string areaUnits = childText(element, "surfaceAreaUnits");
  const std::string file = childText(element, "geometryFileName");

  std::unique_ptr<kalot_vis_mat_prop> material;
  if (element.child("MaterialProp")) {
    try {
      material = readMaterial(element);
    } catch (...) {
      failAt(element, "MaterialProp", "Error reading material property.");
    }
  }

  boost::shared_ptr<Body> body(new Body(
      bodyName, m, util::fromStrToMassUnit(mUnits), in, util::fromStrToInertiaUnit(inUnits), vol,
      util::fromStrToVolUnit(volUnits), area, util::fromStrToSAreaUnit(areaUnits), file, material.get()));
  body->setNodeID(node);

  element.child("frames").forEachChild("Frame", [&](const E& f) {
    boost::shared_ptr<Frame> frame = readFrame(f, helper);
    // The first frame with a given id keeps it; references resolve to that one.
    context.addFrame(frame->getID(), frame);
    frame->setParent(body);
    body->addLink(frame);
  });
  return body;
}
KALO_MBXML_INSTANTIATE(readBody, Body);

}  // namespace mbxml

DOMElement* Body::writeToXMLElement(DOMDocument* doc) const {
  return mbxml::writeDomElement(doc, *this, mbxml::writeBody);
}

boost::shared_ptr<Body> Body::readFromXMLElement(const DOMElement* element, ReadHelper& helper) {
  return mbxml::readBody(mbxml::DomElement(element), helper);
}

}  // namespace kalo_toolkit
