// Readers of the CAD XML file: the version-checking reader, whose element readers yield no model, and
// the content reader that inverts the writer.

#include <memory>
#include <string>

#include <xercesc/dom/DOM.hpp>
#include <xercesc/util/XMLException.hpp>

#include <kalo_toolkit/assem_comp.hpp>
#include <kalo_toolkit/cad_model.hpp>
#include <kalo_toolkit/cad_model_ref.hpp>
#include <kalo_toolkit/constrain.hpp>
#include <kalo_toolkit/number_text.hpp>
#include <kalo_toolkit/read_helper.hpp>
#include <kalo_toolkit/secure_dom_parser.hpp>
#include <kalo_toolkit/text_encoding.hpp>
#include <kalo_toolkit/xml_helpers.hpp>
#include <kalo_toolkit/xml_session.hpp>

#include "cad_xml_reading.hpp"

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit {

namespace {

bool tagIs(const DOMElement* element, const char* name) {
  const XMLCh* tag = element->getTagName();
  size_t i = 0;
  for (; name[i] != '\0'; ++i) {
    if (tag[i] != static_cast<XMLCh>(static_cast<unsigned char>(name[i]))) return false;
  }
  return tag[i] == 0;
}

// Only direct children are searched: a missing value must not be taken from a nested definition, and
// each lookup stays proportional to the element's own size.
const DOMElement* childElement(const DOMElement* parent, const char* name) {
  for (const DOMNode* n = parent->getFirstChild(); n != nullptr; n = n->getNextSibling()) {
    if (n->getNodeType() == DOMNode::ELEMENT_NODE && tagIs(static_cast<const DOMElement*>(n), name)) {
      return static_cast<const DOMElement*>(n);
    }
  }
  return nullptr;
}

// The element's own text and CDATA children; nested elements are not descended into.
std::string ownText(const DOMElement* element) {
  std::basic_string<XMLCh> text;
  for (const DOMNode* n = element->getFirstChild(); n != nullptr; n = n->getNextSibling()) {
    const DOMNode::NodeType type = n->getNodeType();
    if (type == DOMNode::TEXT_NODE || type == DOMNode::CDATA_SECTION_NODE) {
      if (const XMLCh* value = n->getNodeValue()) text += value;
    }
  }
  return util::toBytes(text.c_str());
}

// Every value the writer writes is required; a missing or unreadable one ends the read.
class CadContentReader {
 public:
  boost::shared_ptr<CadModel> model(const DOMElement* element, size_t depth) {
    if (depth > CadModel::s_maxNestingDepth) throw std::string("CAD models are nested too deeply.");
    double inertia[6] = {0, 0, 0, 0, 0, 0};
    double cg[3] = {0, 0, 0};
    numbers(element, "inertia", inertia, 6);
    numbers(element, "cg", cg, 3);
    const std::unique_ptr<kalot_vis_mat_prop> mat = material(element);
    auto result = boost::shared_ptr<CadModel>(new CadModel(
        quotedText(element, "name"), number(element, "mass"), inertia, cg, number(element, "volume"),
        number(element, "surfaceArea"), quotedText(element, "geometryFileName"), mat.get()));
    for (const DOMElement* child : childElements(required(element, "cadmodels"), "CadModelRef")) {
      result->addCadModelRef(ref(child, depth));
    }
    // Component paths are relative to the definition that states the constraint, whose children
    // have been read above.
    for (const DOMElement* child : childElements(required(element, "constrains"), "Constrain")) {
      result->addConstrain(constrain(child, result));
    }
    return result;
  }

  boost::shared_ptr<CadModelRef> ref(const DOMElement* element, size_t depth) {
    double translation[3] = {0, 0, 0};
    double rotation[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
    numbers(element, "translation", translation, 3);
    numbers(element, "rotation", rotation, 9);
    const bool flexible = integer(element, "flexible") != 0;
    const bool fixed = integer(element, "fixed") != 0;
    const std::unique_ptr<kalot_vis_mat_prop> mat = material(element);
    boost::shared_ptr<CadModel> placed = model(required(element, "CadModel"), depth + 1);
    return boost::shared_ptr<CadModelRef>(new CadModelRef(quotedText(element, "name"), std::string(), placed,
                                                          rotation, translation, 1.0, flexible, fixed,
                                                          mat.get()));
  }

  boost::shared_ptr<Constrain> constrain(const DOMElement* element,
                                         const boost::shared_ptr<CadModel>& owner) {
    const std::unique_ptr<AssemComp> comp1 = component(element, "comp1", owner);
    const std::unique_ptr<AssemComp> comp2 = component(element, "comp2", owner);
    double location1[3], axis1[3], location2[3], axis2[3];
    numbers(element, "entity1Location", location1, 3);
    numbers(element, "entity1Axis", axis1, 3);
    numbers(element, "entity2Location", location2, 3);
    numbers(element, "entity2Axis", axis2, 3);
    return boost::shared_ptr<Constrain>(
        new Constrain(quotedText(element, "name"), integer(element, "type"), comp1.get(), comp2.get(),
                      integer(element, "entity1Type"), integer(element, "entity2Type"), location1, axis1,
                      location2, axis2));
  }

 private:
  static const DOMElement* required(const DOMElement* parent, const char* name) {
    const DOMElement* element = childElement(parent, name);
    if (element == nullptr) throw std::string("Missing element ") + name + ".";
    return element;
  }

  static std::vector<const DOMElement*> childElements(const DOMElement* parent, const char* name) {
    std::vector<const DOMElement*> found;
    for (const DOMNode* n = parent->getFirstChild(); n != nullptr; n = n->getNextSibling()) {
      if (n->getNodeType() == DOMNode::ELEMENT_NODE && tagIs(static_cast<const DOMElement*>(n), name)) {
        found.push_back(static_cast<const DOMElement*>(n));
      }
    }
    return found;
  }

  static std::string quotedText(const DOMElement* parent, const char* name) {
    return util::unquote(ownText(required(parent, name)));
  }

  static double number(const DOMElement* parent, const char* name) {
    double v = 0.0;
    if (!util::from_string(v, ownText(required(parent, name)))) throw badValue(name);
    return v;
  }

  static void numbers(const DOMElement* parent, const char* name, double* v, size_t n) {
    if (!util::from_string(v, n, ownText(required(parent, name)))) throw badValue(name);
  }

  static int integer(const DOMElement* parent, const char* name) {
    int v = 0;
    if (!util::from_string(v, ownText(required(parent, name)))) throw badValue(name);
    return v;
  }

  static std::string badValue(const char* name) {
    return std::string("Cannot read the value of ") + name + ".";
  }

  static std::unique_ptr<kalot_vis_mat_prop> material(const DOMElement* parent) {
    const DOMElement* element = childElement(parent, "MaterialProp");
    if (element == nullptr) return nullptr;
    auto mat = std::make_unique<kalot_vis_mat_prop>();
    numbers(element, "color", mat->color, 3);
    mat->ambient = number(element, "ambient");
    mat->diffuse = number(element, "diffuse");
    mat->specular = number(element, "specular");
    mat->shininess = number(element, "shininess");
    mat->transparency = number(element, "transparency");
    mat->emission = number(element, "emission");
    return mat;
  }

  // An empty path text stands for an absent component (the writer writes both forms alike).
  static std::unique_ptr<AssemComp> component(const DOMElement* parent, const char* name,
                                              const boost::shared_ptr<CadModel>& owner) {
    const std::string path = quotedText(parent, name);
    if (path.empty()) return nullptr;
    std::unique_ptr<AssemComp> comp(AssemComp::createAssemComp(path, owner));
    if (!comp) throw std::string("No component ") + path + " in " + owner->name + ".";
    return comp;
  }
};

}  // namespace

boost::shared_ptr<CadModel> CadModel::readFromXMLElement(const DOMElement*, ReadHelper&) {
  return boost::shared_ptr<CadModel>();
}

boost::shared_ptr<CadModelRef> CadModelRef::readFromXMLElement(const DOMElement*, ReadHelper&) {
  return boost::shared_ptr<CadModelRef>();
}

boost::shared_ptr<Constrain> Constrain::readFromXMLElement(const DOMElement*, ReadHelper&) {
  return boost::shared_ptr<Constrain>();
}

namespace detail {

namespace {

// Runs inside an initialised XML library; every exception is caught here, so that no exception object
// of the library outlives its termination.
boost::shared_ptr<CadModel> parseAndRead(const std::string& fileName, CadReadMode mode, std::string& message,
                                         std::string& parseReason) {
  boost::shared_ptr<CadModel> result;
  try {
    util::SecureDomParser parser;
    const DOMDocument* doc = parser.parseFile(fileName, message, &parseReason);
    if (doc == nullptr) return result;
    const DOMElement* root = doc->getDocumentElement();

    ReadHelper helper;
    helper.formatVersion = util::getElementText(root, "formatVersion");
    if (helper.formatVersion.empty()) throw std::string("No format version in file.");
    const std::string internalVersion = util::getElementText(root, "internalVersion");
    if (!internalVersion.empty()) {
      int version = 0;
      if (!util::from_string(version, internalVersion))
        throw std::string("Error reading internal version of file.");
      helper.internalVersion = version;
    }

    if (mode == CadReadMode::Content) {
      const DOMElement* top = childElement(root, "CadModel");
      if (top == nullptr) throw std::string("Missing element CadModel.");
      result = CadContentReader().model(top, 1);
    } else {
      result = CadModel::readFromXMLElement(root, helper);
      if (!result) message = "The CAD XML file is not read back.";
    }
  } catch (const std::string& text) {
    message = text;
  } catch (const XMLException& e) {
    message = util::toBytes(e.getMessage());
    if (message.empty()) message = "Unspecified XML exception";
  } catch (const DOMException& e) {
    message = util::toBytes(e.getMessage());
    if (message.empty()) message = "Unspecified DOM exception";
  } catch (const std::exception& e) {
    message = e.what();
  } catch (...) {
    message = "Unspecified XML exception";
  }
  if (!message.empty()) result.reset();
  return result;
}

}  // namespace

boost::shared_ptr<CadModel> readCadXmlFile(const std::string& fileName, CadReadMode mode,
                                           std::string& message, std::string* reason) {
  std::string parseReason;
  boost::shared_ptr<CadModel> model;
  try {
    util::s_initUnicodeOnce();
    util::XercesSession session;
    model = parseAndRead(fileName, mode, message, parseReason);
  } catch (...) {
    message = "Unspecified XML exception";
  }
  // The parser positions its own failures; the element readers' texts name the element.
  if (!model && reason != nullptr) *reason = parseReason.empty() ? message : parseReason;
  return model;
}

}  // namespace detail

boost::shared_ptr<CadModel> CadModel::readFromXML(KalotError* error, const std::string& fileName) {
  std::string message;  // not handed to the caller
  boost::shared_ptr<CadModel> model =
      detail::readCadXmlFile(fileName, detail::CadReadMode::VersionCheck, message);
  if (error != nullptr) *error = model ? KALOT_SUCCESS : KALOT_XML_READ_ERROR;
  return model;
}

boost::shared_ptr<CadModel> CadModel::readContentFromXML(KalotError* error, const std::string& fileName) {
  return readContentFromXML(error, fileName, nullptr);
}

boost::shared_ptr<CadModel> CadModel::readContentFromXML(KalotError* error, const std::string& fileName,
                                                         std::string* reason) {
  std::string message;
  boost::shared_ptr<CadModel> model =
      detail::readCadXmlFile(fileName, detail::CadReadMode::Content, message, reason);
  if (error != nullptr) *error = model ? KALOT_SUCCESS : KALOT_XML_READ_ERROR;
  return model;
}

}  // namespace kalo_toolkit
