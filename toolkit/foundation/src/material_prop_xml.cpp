#include <memory>

#include <xercesc/dom/DOM.hpp>

#include <kalo_toolkit/number_text.hpp>
#include <kalo_toolkit/read_helper.hpp>
#include <kalo_toolkit/xml_helpers.hpp>

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit::util {

DOMElement* writeMaterialProp(DOMDocument* doc, const kalot_vis_mat_prop& prop) {
  DOMElement* element = doc->createElement(toXMLString("MaterialProp").c_str());
  std::string text;
  auto add = [&](const char* name) { element->appendChild(createTextElement(doc, name, text)); };
  to_string(text, prop.color, 3);
  add("color");
  to_string(text, prop.ambient);
  add("ambient");
  to_string(text, prop.diffuse);
  add("diffuse");
  to_string(text, prop.specular);
  add("specular");
  to_string(text, prop.shininess);
  add("shininess");
  to_string(text, prop.transparency);
  add("transparency");
  to_string(text, prop.emission);
  add("emission");
  return element;
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
