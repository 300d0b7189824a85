#include "secure_dom_parser.hpp"

#include <cstdio>

#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/framework/Wrapper4InputSource.hpp>
#include <xercesc/sax/InputSource.hpp>
#include <xercesc/util/BinInputStream.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLUni.hpp>

#include <kalo_toolkit/xml_helpers.hpp>

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit::mbxml {

namespace {

// The format declares no entities; the limit only matters if that protection is ever lifted.
constexpr XMLSize_t kEntityExpansionLimit = 1000;

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f != nullptr) std::fclose(f);
  }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

class FileBinInputStream : public BinInputStream {
 public:
  explicit FileBinInputStream(FileHandle file) : file(std::move(file)), position(0) {}

  XMLFilePos curPos() const override { return position; }

  XMLSize_t readBytes(XMLByte* const toFill, const XMLSize_t maxToRead) override {
    const size_t n = std::fread(toFill, 1, maxToRead, file.get());
    position += n;
    return n;
  }

  const XMLCh* getContentType() const override { return nullptr; }

 private:
  FileHandle file;
  XMLFilePos position;
};

// An already opened file as the parser's input: the path is never handed to
// the library, so it is not taken for a URL and its length does not matter.
class OpenFileInputSource : public InputSource {
 public:
  explicit OpenFileInputSource(FileHandle file) : file(std::move(file)) {
    static const XMLCh kSystemId[] = u"multibody.xml";
    setSystemId(kSystemId);
  }

  BinInputStream* makeStream() const override {
    if (!file) return nullptr;  // one stream per file
    return new FileBinInputStream(std::move(file));
  }

 private:
  mutable FileHandle file;
};

// Whatever the parser would fetch besides the file itself gets empty input.
class NothingResolver : public DOMLSResourceResolver {
 public:
  DOMLSInput* resolveResource(const XMLCh* /*resourceType*/, const XMLCh* /*namespaceUri*/,
                              const XMLCh* /*publicId*/, const XMLCh* /*systemId*/,
                              const XMLCh* /*baseURI*/) override {
    static const XMLByte kEmpty[] = {0};
    static const XMLCh kId[] = u"empty";
    return new Wrapper4InputSource(new MemBufInputSource(kEmpty, 0, kId, false), true);
  }
};

// Any error or fatal error ends the parse; a partial document is never used.
class ErrorRecorder : public xercesc::DOMErrorHandler {
 public:
  bool handleError(const DOMError& error) override {
    if (error.getSeverity() == DOMError::DOM_SEVERITY_WARNING) return true;
    if (message.empty()) {
      message = util::toBytes(error.getMessage());
      if (message.empty()) message = "Unspecified XML exception";
    }
    return false;
  }
  std::string message;
};

template <typename T>
void setIfPossible(DOMConfiguration* config, const XMLCh* name, T value) {
  if (config->canSetParameter(name, value)) config->setParameter(name, value);
}

}  // namespace

struct SecureDomParser::Impl {
  SecurityManager security;
  NothingResolver resolver;
  ErrorRecorder errors;
  DOMLSParser* parser = nullptr;
};

SecureDomParser::SecureDomParser() : impl(new Impl) {
  static const XMLCh kLoadSave[] = u"LS";
  auto* ls = static_cast<DOMImplementationLS*>(DOMImplementationRegistry::getDOMImplementation(kLoadSave));
  if (ls == nullptr) return;
  impl->parser = ls->createLSParser(DOMImplementationLS::MODE_SYNCHRONOUS, nullptr);
  DOMConfiguration* config = impl->parser->getDomConfig();
  impl->security.setEntityExpansionLimit(kEntityExpansionLimit);
  config->setParameter(XMLUni::fgXercesSecurityManager, static_cast<void*>(&impl->security));
  config->setParameter(XMLUni::fgDOMErrorHandler, static_cast<DOMErrorHandler*>(&impl->errors));
  config->setParameter(XMLUni::fgDOMResourceResolver, static_cast<DOMLSResourceResolver*>(&impl->resolver));
  setIfPossible(config, XMLUni::fgDOMDisallowDoctype, true);
  setIfPossible(config, XMLUni::fgXercesLoadExternalDTD, false);
  setIfPossible(config, XMLUni::fgXercesDisableDefaultEntityResolution, true);
  setIfPossible(config, XMLUni::fgXercesSchema, false);
  setIfPossible(config, XMLUni::fgXercesLoadSchema, false);
  setIfPossible(config, XMLUni::fgXercesDoXInclude, false);
  setIfPossible(config, XMLUni::fgDOMNamespaces, false);
  // Validation where a grammar is present; with the above no grammar ever is,
  // so grammar-less files (all of this format) are not reported as invalid.
  setIfPossible(config, XMLUni::fgDOMValidateIfSchema, true);
}

SecureDomParser::~SecureDomParser() {
  if (impl->parser != nullptr) impl->parser->release();
}

DOMDocument* SecureDomParser::parseFile(const std::string& path, std::string& message) {
  if (impl->parser == nullptr) {
    message = "Unspecified XML exception";
    return nullptr;
  }
  FileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    message = "Couldn't read file";
    return nullptr;
  }
  impl->errors.message.clear();
  DOMDocument* doc = nullptr;
  try {
    Wrapper4InputSource input(new OpenFileInputSource(std::move(file)), true);
    doc = impl->parser->parse(&input);
  } catch (const XMLException& e) {
    message = util::toBytes(e.getMessage());
    if (message.empty()) message = "Unspecified XML exception";
    return nullptr;
  } catch (const DOMException& e) {
    message = util::toBytes(e.getMessage());
    if (message.empty()) message = "Unspecified DOM exception";
    return nullptr;
  }
  if (!impl->errors.message.empty()) {
    message = impl->errors.message;
    return nullptr;
  }
  if (doc == nullptr || doc->getDocumentElement() == nullptr) {
    message = "Couldn't read file";
    return nullptr;
  }
  return doc;
}

XercesSession::XercesSession() { XMLPlatformUtils::Initialize(); }
XercesSession::~XercesSession() { XMLPlatformUtils::Terminate(); }

}  // namespace kalo_toolkit::mbxml
