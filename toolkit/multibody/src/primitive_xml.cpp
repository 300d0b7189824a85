#include <kalo_toolkit/number_text.hpp>
#include <kalo_toolkit/primitive.hpp>

#include "multibody_xml_util.hpp"

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit {

// The type is not written on its own: the name is the type's text.
DOMElement* Primitive::writeToXMLElement(DOMDocument* doc) const {
  const mbxml::Writer w(doc);
  DOMElement* e = w.element("Primitive");
  w.quoted(e, "name", getName());
  w.quoted(e, "nodeID", getNodeID());
  w.quoted(e, "referenceFrame", refFrame);
  w.numbers(e, "axis", axis, 3);
  return e;
}

boost::shared_ptr<Primitive> Primitive::readFromXMLElement(const DOMElement* element,
                                                           ReadHelper& /*helper*/) {
  const std::string primName = mbxml::childText(element, "name");
  const std::string ref = mbxml::childText(element, "referenceFrame");
  double a[3] = {0, 0, 0};
  if (!util::from_string(a, 3, mbxml::childText(element, "axis"))) {
    throw mbxml::ReadError("Error reading axis for primitive : " + primName);
  }
  return boost::shared_ptr<Primitive>(new Primitive(primName, a, ref));
}

}  // namespace kalo_toolkit
