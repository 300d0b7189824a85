// Writer of the CAD XML file: the top definition with every placed definition nested by value.

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/LocalFileFormatTarget.hpp>

#include <kalo_toolkit/cad_model.hpp>
#include <kalo_toolkit/cad_model_ref.hpp>
#include <kalo_toolkit/constrain.hpp>
#include <kalo_toolkit/number_text.hpp>
#include <kalo_toolkit/text_encoding.hpp>
#include <kalo_toolkit/xml_helpers.hpp>
#include <kalo_toolkit/xml_session.hpp>

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit {

namespace {

std::string numberText(double v) {
  std::string text;
  if (!util::to_string(text, v)) throw std::runtime_error("Cannot write a number");
  return text;
}

std::string numbersText(const double* v, size_t n) {
  std::string text;
  if (!util::to_string(text, v, n)) throw std::runtime_error("Cannot write numbers");
  return text;
}

std::string integerText(int v) {
  std::string text;
  if (!util::to_string(text, v)) throw std::runtime_error("Cannot write an integer");
  return text;
}

// Builds the nested elements. The definitions on the current branch are kept so that a model whose
// definitions place themselves, or one nested deeper than the reader accepts, fails instead of
// recursing without end.
class CadXmlWriter {
 public:
  explicit CadXmlWriter(DOMDocument* doc) : doc(doc) {}

  DOMElement* model(const CadModel& m) {
    if (std::find(branch.begin(), branch.end(), &m) != branch.end()) {
      throw std::runtime_error("The CAD model places a definition inside itself");
    }
    if (branch.size() >= CadModel::s_maxNestingDepth) {
      throw std::runtime_error("The CAD model is nested too deeply");
    }
    branch.push_back(&m);
    DOMElement* element = newElement("CadModel");
    add(element, "name", util::quote(m.name));
    add(element, "mass", numberText(m.mass));
    add(element, "inertia", numbersText(m.inertia, 6));
    add(element, "volume", numberText(m.volume));
    add(element, "surfaceArea", numberText(m.surfaceArea));
    add(element, "cg", numbersText(m.cg, 3));
    add(element, "geometryFileName", util::quote(m.geometryFileName));
    if (const kalot_vis_mat_prop* mat = m.getMatProp())
      element->appendChild(util::writeMaterialProp(doc, *mat));
    DOMElement* children = newElement("cadmodels");
    element->appendChild(children);
    for (const auto& child : m.cadmodels) children->appendChild(ref(*child));
    DOMElement* constraints = newElement("constrains");
    element->appendChild(constraints);
    for (const auto& c : m.constrains) constraints->appendChild(constrain(*c));
    branch.pop_back();
    return element;
  }

  DOMElement* ref(const CadModelRef& r) {
    if (!r.cadModel) throw std::runtime_error("A placed reference holds no definition");
    DOMElement* element = newElement("CadModelRef");
    add(element, "name", util::quote(r.name));
    add(element, "translation", numbersText(r.translation, 3));
    add(element, "rotation", numbersText(r.rotation, 9));
    add(element, "flexible", integerText(r.flexible ? 1 : 0));
    add(element, "fixed", integerText(r.fixed ? 1 : 0));
    if (const kalot_vis_mat_prop* mat = r.getMatProp())
      element->appendChild(util::writeMaterialProp(doc, *mat));
    element->appendChild(model(*r.cadModel));
    return element;
  }

  DOMElement* constrain(const Constrain& c) {
    DOMElement* element = newElement("Constrain");
    add(element, "name", util::quote(c.name));
    add(element, "type", integerText(c.type));
    add(element, "comp1", util::quote(c.comp1 ? c.comp1->getName() : std::string()));
    add(element, "entity1Type", integerText(c.entity1Type));
    add(element, "entity1Location", numbersText(c.entity1Location, 3));
    add(element, "entity1Axis", numbersText(c.entity1Axis, 3));
    add(element, "comp2", util::quote(c.comp2 ? c.comp2->getName() : std::string()));
    add(element, "entity2Type", integerText(c.entity2Type));
    add(element, "entity2Location", numbersText(c.entity2Location, 3));
    add(element, "entity2Axis", numbersText(c.entity2Axis, 3));
    return element;
  }

 private:
  DOMElement* newElement(const char* name) { return doc->createElement(util::toXMLString(name).c_str()); }
  void add(DOMElement* parent, const char* name, const std::string& value) {
    parent->appendChild(util::createTextElement(doc, name, value));
  }

  DOMDocument* doc;
  std::vector<const CadModel*> branch;
};

// The document is released on every path, before the XML library is terminated.
struct DocumentHolder {
  DOMDocument* doc = nullptr;
  ~DocumentHolder() {
    if (doc != nullptr) doc->release();
  }
};

}  // namespace

DOMElement* CadModel::writeToXMLElement(DOMDocument* doc) const { return CadXmlWriter(doc).model(*this); }

DOMElement* CadModelRef::writeToXMLElement(DOMDocument* doc) const { return CadXmlWriter(doc).ref(*this); }

DOMElement* Constrain::writeToXMLElement(DOMDocument* doc) const {
  return CadXmlWriter(doc).constrain(*this);
}

namespace {

// Runs inside an initialised XML library; every exception is caught here, so that no exception object
// of the library outlives its termination.
KalotError writeDocument(const CadModel& top, const std::string& fileName) {
  try {
    DOMImplementation* impl =
        DOMImplementationRegistry::getDOMImplementation(util::toXMLString("LS").c_str());
    if (impl == nullptr) return KALOT_XML_READ_ERROR;
    DocumentHolder held;
    held.doc = impl->createDocument(nullptr, util::toXMLString("OmbraXMLFile").c_str(), nullptr);
    DOMElement* root = held.doc->getDocumentElement();
    root->appendChild(util::createTextElement(held.doc, "formatVersion", util::quote("1.0.4")));
    root->appendChild(top.writeToXMLElement(held.doc));

    LocalFileFormatTarget target(fileName.c_str());
    std::string message;
    const bool written = util::serializeDocument(held.doc, &target, message);
    target.flush();
    return written ? KALOT_SUCCESS : KALOT_XML_READ_ERROR;
  } catch (...) {
    return KALOT_XML_READ_ERROR;
  }
}

}  // namespace

KalotError CadModel::writeToXML(const std::string& fileName) const {
  try {
    util::s_initUnicodeOnce();
    util::XercesSession session;
    return writeDocument(*this, fileName);
  } catch (...) {
    return KALOT_XML_READ_ERROR;
  }
}

}  // namespace kalo_toolkit
