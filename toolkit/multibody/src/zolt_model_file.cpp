#include <string>

#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/LocalFileFormatTarget.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/XMLException.hpp>

#include <kalo_toolkit/mechanism_simplifier.hpp>
#include <kalo_toolkit/number_text.hpp>
#include <kalo_toolkit/secure_dom_parser.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/text_encoding.hpp>
#include <kalo_toolkit/xml_helpers.hpp>
#include <kalo_toolkit/xml_session.hpp>
#include <kalo_toolkit/zolt_model.hpp>
#include <kalo_toolkit/zolt_read_helper.hpp>

#include "multibody_xml_util.hpp"

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit {

namespace {

struct DocumentReleaser {
  void operator()(DOMDocument* doc) const {
    if (doc != nullptr) doc->release();
  }
};

// Reads the model while the parser (and so the document) is alive. Failures
// are texts; the file entry point reduces them to one error code.
boost::shared_ptr<ZoltModel> readModel(const std::string& path, std::string& failure) {
  util::SecureDomParser parser;
  const DOMDocument* doc = parser.parseFile(path, failure);
  if (doc == nullptr) return boost::shared_ptr<ZoltModel>();
  const DOMElement* root = doc->getDocumentElement();

  ZoltReadHelper context;
  context.formatVersion = mbxml::childText(root, "formatVersion");
  if (context.formatVersion.empty()) {
    failure = "Missing format version.";
    return boost::shared_ptr<ZoltModel>();
  }
  const std::string internal = mbxml::childText(root, "internalVersion");
  if (!internal.empty() && !util::from_string(context.internalVersion, internal)) {
    failure = "Error reading internal version of file.";
    return boost::shared_ptr<ZoltModel>();
  }
  boost::shared_ptr<ZoltModel> model = ZoltModel::readFromXMLElement(root, context);
  if (!model) {
    failure = "No model in file.";
    return model;
  }
  context.resolveFrameRefs();
  return model;
}

}  // namespace

int ZoltModel::writeToXML(const std::string& path) const {
  util::s_initUnicodeOnce();
  try {
    util::XercesSession session;
    try {
      static const XMLCh kLoadSave[] = u"LS";
      static const XMLCh kRoot[] = u"OmbraXMLFile";
      DOMImplementation* impl = DOMImplementationRegistry::getDOMImplementation(kLoadSave);
      if (impl == nullptr) return KALOT_XML_READ_ERROR;
      std::unique_ptr<DOMDocument, DocumentReleaser> doc(impl->createDocument(nullptr, kRoot, nullptr));
      if (writeToXMLElement(doc.get()) == nullptr) return KALOT_XML_READ_ERROR;
      // Opened by path bytes, so any name the file system takes works.
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

boost::shared_ptr<ZoltModel> ZoltModel::readFromXML(KalotError* error, const std::string& path,
                                                    MechanismSimplifier::Option option) {
  KalotError ignored = KALOT_SUCCESS;
  if (error == nullptr) error = &ignored;
  *error = KALOT_SUCCESS;
  util::s_initUnicodeOnce();

  boost::shared_ptr<ZoltModel> model;
  std::string failure;  // kept for debugging; only the code leaves this function
  try {
    util::XercesSession session;
    try {
      model = readModel(path, failure);
    } catch (const std::exception& e) {
      failure = e.what();
      model.reset();
    } catch (const std::string& text) {
      failure = text;
      model.reset();
    } catch (const XMLException& e) {
      failure = util::toBytes(e.getMessage());
      model.reset();
    } catch (const DOMException& e) {
      failure = util::toBytes(e.getMessage());
      model.reset();
    } catch (...) {
      failure = "Unspecified XML exception";
      model.reset();
    }
  } catch (...) {
    model.reset();
  }

  if (model && option != MechanismSimplifier::None) {
    try {
      MechanismSimplifier simplifier(model->getTopSubsystem(), option);
    } catch (...) {
      model.reset();
    }
  }
  if (!model) *error = KALOT_XML_READ_ERROR;
  return model;
}

}  // namespace kalo_toolkit
