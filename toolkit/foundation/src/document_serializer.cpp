#include <xercesc/dom/DOM.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLUni.hpp>

#include <kalo_toolkit/xml_helpers.hpp>

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit::util {

namespace {

// Serializer and output are released on every path, exceptions included.
struct Released {
  DOMLSSerializer* serializer = nullptr;
  DOMLSOutput* output = nullptr;
  ~Released() {
    if (output) output->release();
    if (serializer) serializer->release();
  }
};

}  // namespace

bool serializeDocument(DOMDocument* doc, XMLFormatTarget* target, std::string& message) {
  if (doc == nullptr || target == nullptr) {
    message = "No document or output to write";
    return false;
  }
  try {
    static const XMLCh kLoadSave[] = {u'L', u'S', 0};
    DOMImplementation* impl = DOMImplementationRegistry::getDOMImplementation(kLoadSave);
    if (impl == nullptr) {
      message = "Unspecified XML exception";
      return false;
    }
    Released held;
    held.serializer = static_cast<DOMImplementationLS*>(impl)->createLSSerializer();
    DOMConfiguration* config = held.serializer->getDomConfig();
    if (config->canSetParameter(XMLUni::fgDOMWRTFormatPrettyPrint, true)) {
      config->setParameter(XMLUni::fgDOMWRTFormatPrettyPrint, true);
    }
    held.output = static_cast<DOMImplementationLS*>(impl)->createLSOutput();
    held.output->setByteStream(target);
    return held.serializer->write(doc, held.output);
  } catch (const XMLException& e) {
    const std::string text = toBytes(e.getMessage());
    message = text.empty() ? "Unspecified XML exception" : text;
  } catch (const DOMException& e) {
    std::string text = toBytes(e.getMessage());
    if (text.empty()) text = toBytes(e.msg);
    message = text.empty() ? "Unspecified DOM exception" : text;
  } catch (...) {
    message = "Unspecified XML exception";
  }
  return false;
}

}  // namespace kalo_toolkit::util
