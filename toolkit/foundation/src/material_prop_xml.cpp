#include <memory>

#include <xercesc/dom/DOM.hpp>

#include <kalo_toolkit/number_text.hpp>
#include <kalo_toolkit/read_helper.hpp>
#include <kalo_toolkit/xml_helpers.hpp>
#include <kalo_toolkit/xml_sink.hpp>

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit::util {

void writeMaterialProp(XmlSink& sink, const kalot_vis_mat_prop& prop) {
  sink.startElement("MaterialProp");
  sink.numbersElement("color", prop.color, 3);
  sink.numberElement("ambient", prop.ambient);
  sink.numberElement("diffuse", prop.diffuse);
  sink.numberElement("specular", prop.specular);
  sink.numberElement("shininess", prop.shininess);
  sink.numberElement("transparency", prop.transparency);
  sink.numberElement("emission", prop.emission);
  sink.endElement();
}

DOMElement* writeMaterialProp(DOMDocument* doc, const kalot_vis_mat_prop& prop) {
  DomSink sink(doc, nullptr);
  writeMaterialProp(sink, prop);
  return sink.first();
}

kalot_vis_mat_prop* readMaterialProp(const DOMElement* parent, ReadHelper& /*helper*/) {
  try {
    DOMElement* element = findFirstElement(parent, "MaterialProp");
    if (element == nullptr) return nullptr;
    // Values whose text cannot be read stay 0.
    auto prop = std::make_unique<kalot_vis_mat_prop>();
    *prop = kalot_vis_mat_prop{};
    from_string(prop->color, 3, getElementText(element, "color"));
    from_string(prop->ambient, getElementText(element, "ambient"));
    from_string(prop->diffuse, getElementText(element, "diffuse"));
    from_string(prop->specular, getElementText(element, "specular"));
    from_string(prop->shininess, getElementText(element, "shininess"));
    from_string(prop->transparency, getElementText(element, "transparency"));
    from_string(prop->emission, getElementText(element, "emission"));
    return prop.release();
  } catch (...) {
    throw std::string("Error reading material property.");
  }
}

}  // namespace kalo_toolkit::util
