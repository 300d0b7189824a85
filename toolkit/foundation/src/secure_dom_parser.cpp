#include <xercesc/dom/DOM.hpp>

#include <kalo_toolkit/secure_dom_parser.hpp>
#include <kalo_toolkit/xml_helpers.hpp>

#include "secure_sax_parse.hpp"

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit::util {

const char* const SecureDomParser::s_doctypeMessage = "Document type declarations are not accepted.";
const char* const SecureDomParser::s_unreadableMessage = "Couldn't read file";

namespace {

struct DocumentReleaser {
  void operator()(DOMDocument* doc) const {
    if (doc != nullptr) doc->release();
  }
};
using DocumentHandle = std::unique_ptr<DOMDocument, DocumentReleaser>;

// Builds the document the way the library's own DOM parser does: adjacent
// character data in one text node, each CDATA section a node of its own,
// comments and processing instructions kept.
class DomBuilder : public detail::XmlEvents {
 public:
  explicit DomBuilder(DOMDocument* doc) : doc(doc), current(doc) {}

  void startElement(const XMLCh* name, const Attributes& attributes) override {
    DOMElement* element = doc->createElement(name);
    for (XMLSize_t i = 0; i < attributes.getLength(); ++i) {
      element->setAttribute(attributes.getQName(i), attributes.getValue(i));
    }
    current->appendChild(element);
    current = element;
  }
  void endElement() override { current = current->getParentNode(); }
  void characters(const XMLCh* chars, XMLSize_t length) override {
    const std::basic_string<XMLCh> text(chars, length);
    DOMNode* last = current->getLastChild();
    if (inCData) {
      if (last != nullptr && last == openCData) {
        static_cast<DOMCharacterData*>(last)->appendData(text.c_str());
      } else {
        openCData = current->appendChild(doc->createCDATASection(text.c_str()));
      }
    } else if (last != nullptr && last->getNodeType() == DOMNode::TEXT_NODE) {
      static_cast<DOMText*>(last)->appendData(text.c_str());
    } else if (current != doc) {
      current->appendChild(doc->createTextNode(text.c_str()));
    }
  }
  void startCData() override {
    inCData = true;
    openCData = nullptr;
  }
  void endCData() override {
    inCData = false;
    openCData = nullptr;
  }
  void comment(const XMLCh* chars, XMLSize_t length) override {
    current->appendChild(doc->createComment(std::basic_string<XMLCh>(chars, length).c_str()));
  }
  void processingInstruction(const XMLCh* target, const XMLCh* data) override {
    current->appendChild(doc->createProcessingInstruction(target, data));
  }

 private:
  DOMDocument* doc;
  DOMNode* current;
  bool inCData = false;
  DOMNode* openCData = nullptr;
};

}  // namespace

struct SecureDomParser::Impl {
  DocumentHandle doc;
};

SecureDomParser::SecureDomParser() : impl(new Impl) {}

SecureDomParser::~SecureDomParser() = default;

DOMDocument* SecureDomParser::parseFile(const std::string& path, std::string& message) {
  return parseFile(path, message, nullptr);
}

DOMDocument* SecureDomParser::parseFile(const std::string& path, std::string& message, std::string* reason) {
  detail::ParseFailure where;
  DOMDocument* doc = parseRecorded(path, message, where);
  if (doc == nullptr && reason != nullptr) *reason = detail::describeFailure(message, where);
  return doc;
}

DOMDocument* SecureDomParser::parseRecorded(const std::string& path, std::string& message,
                                            detail::ParseFailure& where) {
  impl->doc.reset();
  try {
    static const XMLCh kCore[] = u"Core";
    DOMImplementation* domImpl = DOMImplementationRegistry::getDOMImplementation(kCore);
    if (domImpl == nullptr) {
      message = "Unspecified DOM exception";
      return nullptr;
    }
    DocumentHandle doc(domImpl->createDocument());
    DomBuilder builder(doc.get());
    if (!detail::parseSecurely(path, builder, message, &where)) return nullptr;
    if (doc->getDocumentElement() == nullptr) {
      message = s_unreadableMessage;
      return nullptr;
    }
    impl->doc = std::move(doc);
  } catch (const DOMException& e) {
    message = toBytes(e.getMessage());
    if (message.empty()) message = "Unspecified DOM exception";
    return nullptr;
  } catch (...) {
    message = "Unspecified XML exception";
    return nullptr;
  }
  return impl->doc.get();
}

}  // namespace kalo_toolkit::util
