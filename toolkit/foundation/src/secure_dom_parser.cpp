#include <cstdio>

#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/framework/Wrapper4InputSource.hpp>
#include <xercesc/parsers/DOMLSParserImpl.hpp>
#include <xercesc/sax/InputSource.hpp>
#include <xercesc/util/BinInputStream.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLUni.hpp>

#include <kalo_toolkit/secure_dom_parser.hpp>
#include <kalo_toolkit/xml_helpers.hpp>

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit::util {

const char* const SecureDomParser::s_doctypeMessage = "Document type declarations are not accepted.";
const char* const SecureDomParser::s_unreadableMessage = "Couldn't read file";

namespace {

// Neither file format declares entities; the limit only matters if the
// document type refusal is ever lifted.
constexpr XMLSize_t kEntityExpansionLimit = 100;

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f != nullptr) std::fclose(f);
  }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

class FileBinInputStream : public BinInputStream {
 public:
  FileBinInputStream(FileHandle file, bool& readFailed)
      : file(std::move(file)), readFailed(readFailed), position(0) {}

  XMLFilePos curPos() const override { return position; }

  // A read failure (a directory, an I/O error) ends the input and is recorded,
  // so that it does not pass for the end of the file. It is not thrown: the
  // library leaks when the first read, made while it builds its reader, throws.
  XMLSize_t readBytes(XMLByte* const toFill, const XMLSize_t maxToRead) override {
    if (readFailed) return 0;
    const size_t n = std::fread(toFill, 1, maxToRead, file.get());
    if (n < maxToRead && std::ferror(file.get())) {
      readFailed = true;
      return 0;
    }
    position += n;
    return n;
  }

  const XMLCh* getContentType() const override { return nullptr; }

 private:
  FileHandle file;
  bool& readFailed;
  XMLFilePos position;
};

// An already opened file as the parser's input: the path is never handed to
// the library, so it is not taken for a URL and its length does not matter.
class OpenFileInputSource : public InputSource {
 public:
  OpenFileInputSource(FileHandle file, bool& readFailed) : file(std::move(file)), readFailed(readFailed) {
    static const XMLCh kSystemId[] = u"input.xml";
    setSystemId(kSystemId);
  }

  BinInputStream* makeStream() const override {
    if (!file) return nullptr;  // one stream per file
    return new FileBinInputStream(std::move(file), readFailed);
  }

 private:
  mutable FileHandle file;
  bool& readFailed;
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
      message = toBytes(error.getMessage());
      if (message.empty()) message = "Unspecified XML exception";
    }
    return false;
  }
  std::string message;
};

struct DoctypeRefused {};

// The scanner reports a document type declaration here once it has read the
// name and the external ids and before it reads the internal subset, so the
// refusal happens before any declaration is processed and - unlike the
// library's own refusal, reported as a plain structure error - is recognised.
class DoctypeRefusingParser : public DOMLSParserImpl {
 public:
  void doctypeDecl(const DTDElementDecl& /*elemDecl*/, const XMLCh* const /*publicId*/,
                   const XMLCh* const /*systemId*/, const bool /*hasIntSubset*/,
                   const bool /*hasExtSubset*/) override {
    throw DoctypeRefused();
  }
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
  bool readFailed = false;
  // Declared last: it refers to the members above until it is gone.
  std::unique_ptr<DoctypeRefusingParser> parser;
};

SecureDomParser::SecureDomParser() : impl(new Impl) {
  // The parser the "LS" implementation creates, with the refusal added.
  impl->parser.reset(new DoctypeRefusingParser);
  DOMConfiguration* config = impl->parser->getDomConfig();
  impl->security.setEntityExpansionLimit(kEntityExpansionLimit);
  config->setParameter(XMLUni::fgXercesSecurityManager, static_cast<void*>(&impl->security));
  config->setParameter(XMLUni::fgDOMErrorHandler, static_cast<xercesc::DOMErrorHandler*>(&impl->errors));
  config->setParameter(XMLUni::fgDOMResourceResolver, static_cast<DOMLSResourceResolver*>(&impl->resolver));
  setIfPossible(config, XMLUni::fgXercesLoadExternalDTD, false);
  setIfPossible(config, XMLUni::fgXercesDisableDefaultEntityResolution, true);
  setIfPossible(config, XMLUni::fgXercesSchema, false);
  setIfPossible(config, XMLUni::fgXercesLoadSchema, false);
  setIfPossible(config, XMLUni::fgXercesDoXInclude, false);
  setIfPossible(config, XMLUni::fgDOMNamespaces, false);
  // Validation where a grammar is present; with the above no grammar ever is,
  // so grammar-less files (all of both formats) are not reported as invalid.
  setIfPossible(config, XMLUni::fgDOMValidateIfSchema, true);
}

SecureDomParser::~SecureDomParser() = default;

DOMDocument* SecureDomParser::parseFile(const std::string& path, std::string& message) {
  FileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    message = s_unreadableMessage;
    return nullptr;
  }
  impl->errors.message.clear();
  impl->readFailed = false;
  DOMDocument* doc = nullptr;
  try {
    Wrapper4InputSource input(new OpenFileInputSource(std::move(file), impl->readFailed), true);
    doc = impl->parser->parse(&input);
  } catch (const DoctypeRefused&) {
    message = s_doctypeMessage;
    return nullptr;
  } catch (const XMLException& e) {
    message = toBytes(e.getMessage());
    if (message.empty()) message = "Unspecified XML exception";
    return nullptr;
  } catch (const DOMException& e) {
    message = toBytes(e.getMessage());
    if (message.empty()) message = "Unspecified DOM exception";
    return nullptr;
  }
  if (impl->readFailed) {
    message = s_unreadableMessage;
    return nullptr;
  }
  if (!impl->errors.message.empty()) {
    message = impl->errors.message;
    return nullptr;
  }
  if (doc == nullptr || doc->getDocumentElement() == nullptr) {
    message = s_unreadableMessage;
    return nullptr;
  }
  return doc;
}

}  // namespace kalo_toolkit::util
