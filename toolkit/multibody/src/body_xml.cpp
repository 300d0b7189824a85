#include <memory>
#include <stdexcept>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/enum_text.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/number_text.hpp>
#include <kalo_toolkit/xml_helpers.hpp>
#include <kalo_toolkit/zolt_read_helper.hpp>

#include "multibody_xml_util.hpp"

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit {

using mbxml::childText;

DOMElement* Body::writeToXMLElement(DOMDocument* doc) const {
  const mbxml::Writer w(doc);
  DOMElement* e = w.element("Body");
  w.quoted(e, "name", getName());
  w.quoted(e, "nodeID", getNodeID());
  w.quoted(e, "status", "");
  w.number(e, "mass", mass);
  w.quoted(e, "massUnits", util::fromMassUnitToStr(massUnits));
  w.numbers(e, "inertia", inertia, 9);
  w.quoted(e, "inertiaUnits", util::fromInertiaUnitToStr(inertiaUnits));
  w.number(e, "volume", volume);
  w.quoted(e, "volumeUnits", util::fromVolUnitToStr(volumeUnits));
  w.number(e, "surfaceArea", sArea);
  w.quoted(e, "surfaceAreaUnits", util::fromSAreaUnitToStr(sAreaUnits));
  DOMElement* frames = w.element("frames");
  for (const auto& link : links) {
    if (!link) throw std::runtime_error("Body " + getName() + " has an empty frame");
    frames->appendChild(link->writeToXMLElement(doc));
  }
  w.closeList(frames);
  e->appendChild(frames);
  w.quoted(e, "geometryFileName", fileName);
  if (matProp) e->appendChild(util::writeMaterialProp(doc, *matProp));
  return e;
}

boost::shared_ptr<Body> Body::readFromXMLElement(const DOMElement* element, ReadHelper& helper) {
  auto& context = dynamic_cast<ZoltReadHelper&>(helper);

  const std::string bodyName = childText(element, "name");
  const std::string node = childText(element, "nodeID");
  double m = 0;
  if (!util::from_string(m, childText(element, "mass"))) {
    throw mbxml::ReadError("Error reading mass for body : " + bodyName);
  }
  const std::string mUnits = childText(element, "massUnits");
  double in[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
  if (!util::from_string(in, 9, childText(element, "inertia"))) {
    throw mbxml::ReadError("Error reading inertia for body : " + bodyName);
  }
  const std::string inUnits = childText(element, "inertiaUnits");
  double vol = 0;
  if (!util::from_string(vol, childText(element, "volume"))) {
    throw mbxml::ReadError("Error reading volume for body : " + bodyName);
  }
  const std::string volUnits = childText(element, "volumeUnits");
  double area = 0;
  if (!util::from_string(area, childText(element, "surfaceArea"))) {
    throw mbxml::ReadError("Error reading surfaceArea for body : " + bodyName);
  }
  const std::string areaUnits = childText(element, "surfaceAreaUnits");
  const std::string file = childText(element, "geometryFileName");

  std::unique_ptr<kalot_vis_mat_prop> material;
  if (mbxml::firstChild(element, "MaterialProp") != nullptr) {
    try {
      material.reset(util::readMaterialProp(element, helper));
    } catch (...) {
      throw mbxml::ReadError("Error reading material property.");
    }
  }

  boost::shared_ptr<Body> body(new Body(
      bodyName, m, util::fromStrToMassUnit(mUnits), in, util::fromStrToInertiaUnit(inUnits), vol,
      util::fromStrToVolUnit(volUnits), area, util::fromStrToSAreaUnit(areaUnits), file, material.get()));
  body->setNodeID(node);

  mbxml::forEachChild(mbxml::firstChild(element, "frames"), "Frame", [&](const DOMElement* f) {
    boost::shared_ptr<Frame> frame = Frame::readFromXMLElement(f, helper);
    // The first frame with a given id keeps it; references resolve to that one.
    context.addFrame(frame->getID(), frame);
    frame->setParent(body);
    body->addLink(frame);
  });
  return body;
}

}  // namespace kalo_toolkit
