#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/LocalFileFormatTarget.hpp>

#include <kalo_toolkit/secure_dom_parser.hpp>
#include <kalo_toolkit/text_encoding.hpp>
#include <kalo_toolkit/xml_helpers.hpp>
#include <kalo_toolkit/xml_session.hpp>
#include <kalo_toolkit/zolt_model.hpp>

#include "multibody_xml_util.hpp"
#include "zolt_model_file_paths.hpp"

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit::detail {

namespace {

struct DocumentReleaser {
  void operator()(DOMDocument* doc) const {
    if (doc != nullptr) doc->release();
  }
};

}  // namespace

boost::shared_ptr<ZoltModel> readThroughDom(const std::string& path, std::string& failure) {
  return guardedRead(
      [&] {
        util::SecureDomParser parser;
        const DOMDocument* doc = parser.parseFile(path, failure);
        if (doc == nullptr) return boost::shared_ptr<ZoltModel>();
        return readDocument(mbxml::DomElement(doc->getDocumentElement()), failure);
      },
      failure);
}

int writeThroughDom(const ZoltModel& model, const std::string& path) {
  util::s_initUnicodeOnce();
  try {
    util::XercesSession session;
    try {
      static const XMLCh kLoadSave[] = u"LS";
      static const XMLCh kRoot[] = u"OmbraXMLFile";
      DOMImplementation* impl = DOMImplementationRegistry::getDOMImplementation(kLoadSave);
      if (impl == nullptr) return KALOT_XML_READ_ERROR;
      std::unique_ptr<DOMDocument, DocumentReleaser> doc(impl->createDocument(nullptr, kRoot, nullptr));
      if (model.writeToXMLElement(doc.get()) == nullptr) return KALOT_XML_READ_ERROR;
      LocalFileFormatTarget target(path.c_str());
      std::string message;
      if (!util::serializeDocument(doc.get(), &target, message)) return KALOT_XML_READ_ERROR;
      target.flush();
      return KALOT_SUCCESS;
    } catch (...) {
      // Everything created inside is released before the session ends.
      return KALOT_XML_READ_ERROR;
    }
  } catch (...) {
    return KALOT_XML_READ_ERROR;
  }
}

}  // namespace kalo_toolkit::detail
