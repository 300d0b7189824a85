#include <kalo_toolkit/number_text.hpp>
#include <kalo_toolkit/primitive.hpp>

#include "multibody_xml_elements.hpp"

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit {

namespace mbxml {

// The type is not written on its own: the name is the type's text.
void writePrimitive(const Primitive& p, util::XmlSink& sink) {
  sink.startElement("Primitive");
  sink.quotedElement("name", p.getName());
  sink.quotedElement("nodeID", p.getNodeID());
  sink.quotedElement("referenceFrame", p.getRefFrame());
  sink.numbersElement("axis", p.getAxis(), 3);
  sink.endElement();
}

template <typename E>
boost::shared_ptr<Primitive> readPrimitive(const E& element, ReadHelper& /*helper*/) {
  const std::string primName = childText(element, "name");
  const std::string ref = childText(element, "referenceFrame");
  double a[3] = {0, 0, 0};
  if (!util::from_string(a, 3, childText(element, "axis"))) {
    failAt(element, "axis", "Error reading axis for primitive : " + primName);
  }
  return boost::shared_ptr<Primitive>(new Primitive(primName, a, ref));
}
KALO_MBXML_INSTANTIATE(readPrimitive, Primitive);

}  // namespace mbxml

DOMElement* Primitive::writeToXMLElement(DOMDocument* doc) const {
  return mbxml::writeDomElement(doc, *this, mbxml::writePrimitive);
}

boost::shared_ptr<Primitive> Primitive::readFromXMLElement(const DOMElement* element, ReadHelper& helper) {
  return mbxml::readPrimitive(mbxml::DomElement(element), helper);
}

}  // namespace kalo_toolkit
