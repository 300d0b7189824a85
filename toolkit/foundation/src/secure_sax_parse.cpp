#include "secure_sax_parse.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/sax/InputSource.hpp>
#include <xercesc/sax/SAXException.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/sax2/DefaultHandler.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/BinInputStream.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLUni.hpp>

#include <kalo_toolkit/secure_dom_parser.hpp>
#include <kalo_toolkit/xml_helpers.hpp>

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit::util::detail {

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
  FileBinInputStream(FileHandle file, bool& readFailed, int& readError)
      : file(std::move(file)), readFailed(readFailed), readError(readError), position(0) {}

  XMLFilePos curPos() const override { return position; }

  // A read failure (a directory, an I/O error) ends the input and is recorded,
  // so that it does not pass for the end of the file. It is not thrown: the
  // library leaks when the first read, made while it builds its reader, throws.
  XMLSize_t readBytes(XMLByte* const toFill, const XMLSize_t maxToRead) override {
    if (readFailed) return 0;
    const size_t n = std::fread(toFill, 1, maxToRead, file.get());
    if (n < maxToRead && std::ferror(file.get())) {
      readError = errno;
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
  int& readError;
  XMLFilePos position;
};

// An already opened file as the parser's input: the path is never handed to
// the library, so it is not taken for a URL and its length does not matter.
class OpenFileInputSource : public InputSource {
 public:
  OpenFileInputSource(FileHandle file, bool& readFailed, int& readError)
      : file(std::move(file)), readFailed(readFailed), readError(readError) {
    static const XMLCh kSystemId[] = u"input.xml";
    setSystemId(kSystemId);
  }

  BinInputStream* makeStream() const override {
    if (!file) return nullptr;  // one stream per file
    return new FileBinInputStream(std::move(file), readFailed, readError);
  }

 private:
  mutable FileHandle file;
  bool& readFailed;
  int& readError;
};

struct DoctypeRefused {};
struct ParseStopped {};

// Forwards the parse to the events; refuses a document type declaration as
// soon as it is reported - the DTD handler hears of every one, after its name
// and external ids and before its internal subset, also when it has neither
// subset - resolves every external resource to nothing; ends the parse at the
// first error.
class Adapter : public DefaultHandler {
 public:
  explicit Adapter(XmlEvents& events) : events(events) {}

  void startElement(const XMLCh* const /*uri*/, const XMLCh* const /*localname*/, const XMLCh* const qname,
                    const Attributes& attrs) override {
    positioned([&] { events.startElement(qname, attrs); });
  }
  void endElement(const XMLCh* const, const XMLCh* const, const XMLCh* const) override {
    positioned([&] { events.endElement(); });
  }
  void characters(const XMLCh* const chars, const XMLSize_t length) override {
    positioned([&] { events.characters(chars, length); });
  }
  void ignorableWhitespace(const XMLCh* const chars, const XMLSize_t length) override {
    positioned([&] { events.characters(chars, length); });
  }
  void processingInstruction(const XMLCh* const target, const XMLCh* const data) override {
    positioned([&] { events.processingInstruction(target, data); });
  }
  void comment(const XMLCh* const chars, const XMLSize_t length) override {
    positioned([&] { events.comment(chars, length); });
  }
  void startCDATA() override { events.startCData(); }
  void endCDATA() override { events.endCData(); }
  void startDocument() override { inDocument = true; }
  void resetDocType() override {
    if (inDocument) refuseDoctype();
  }
  void startDTD(const XMLCh* const, const XMLCh* const, const XMLCh* const) override { refuseDoctype(); }

  InputSource* resolveEntity(const XMLCh* const /*publicId*/, const XMLCh* const /*systemId*/) override {
    static const XMLByte kEmpty[] = {0};
    static const XMLCh kId[] = u"empty";
    return new MemBufInputSource(kEmpty, 0, kId, false);
  }

  void setDocumentLocator(const Locator* const locator) override { events.locator = locator; }

  void warning(const SAXParseException&) override {}
  void error(const SAXParseException& e) override { stop(e); }
  void fatalError(const SAXParseException& e) override { stop(e); }

  std::string message;
  ParseFailure where;

 private:
  // Where the parser stands, for failures the parser itself does not position.
  // Only while the parse runs: the library resets its position as an
  // exception leaves the parse.
  void recordPosition() {
    if (where.line != 0 || events.locator == nullptr) return;
    const XMLFileLoc line = events.locator->getLineNumber();
    const XMLFileLoc column = events.locator->getColumnNumber();
    if (line == 0 || line == ~XMLFileLoc(0)) return;
    where.line = line;
    where.column = column == ~XMLFileLoc(0) ? 0 : column;
  }

  template <typename F>
  void positioned(F&& forward) {
    try {
      forward();
    } catch (...) {
      recordPosition();
      throw;
    }
  }

  [[noreturn]] void refuseDoctype() {
    recordPosition();
    throw DoctypeRefused();
  }

  [[noreturn]] void stop(const SAXParseException& e) {
    message = toBytes(e.getMessage());
    if (message.empty()) message = "Unspecified XML exception";
    where.line = e.getLineNumber();
    where.column = e.getColumnNumber();
    throw ParseStopped();
  }

  XmlEvents& events;
  bool inDocument = false;
};

}  // namespace

std::string describeFailure(const std::string& message, const ParseFailure& where) {
  if (where.osError != 0) return std::strerror(where.osError);
  if (where.line == 0) return message;
  return "line " + std::to_string(where.line) + ", column " + std::to_string(where.column) + ": " + message;
}

bool parseSecurely(const std::string& path, XmlEvents& events, std::string& message, ParseFailure* where) {
  ParseFailure ignored;
  if (where == nullptr) where = &ignored;
  *where = ParseFailure();
  events.locator = nullptr;
  FileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    where->osError = errno != 0 ? errno : EIO;
    message = SecureDomParser::s_unreadableMessage;
    return false;
  }
  bool readFailed = false;
  int readError = 0;
  std::string failure;
  Adapter adapter(events);
  try {
    SecurityManager security;
    security.setEntityExpansionLimit(kEntityExpansionLimit);
    std::unique_ptr<SAX2XMLReader> reader(XMLReaderFactory::createXMLReader());
    reader->setFeature(XMLUni::fgSAX2CoreNameSpaces, false);
    reader->setFeature(XMLUni::fgSAX2CoreNameSpacePrefixes, false);
    reader->setFeature(XMLUni::fgSAX2CoreValidation, false);
    reader->setFeature(XMLUni::fgXercesSchema, false);
    reader->setFeature(XMLUni::fgXercesLoadSchema, false);
    reader->setFeature(XMLUni::fgXercesLoadExternalDTD, false);
    reader->setFeature(XMLUni::fgXercesDisableDefaultEntityResolution, true);
    reader->setProperty(XMLUni::fgXercesSecurityManager, &security);
    reader->setContentHandler(&adapter);
    reader->setLexicalHandler(&adapter);
    reader->setErrorHandler(&adapter);
    reader->setEntityResolver(&adapter);
    reader->setDTDHandler(&adapter);
    try {
      reader->parse(OpenFileInputSource(std::move(file), readFailed, readError));
    } catch (const ParseStopped&) {
      failure = adapter.message;
    }
  } catch (const DoctypeRefused&) {
    failure = SecureDomParser::s_doctypeMessage;
  } catch (const OutOfMemoryException&) {
    failure = "Unspecified XML exception";
  } catch (const XMLException& e) {
    failure = toBytes(e.getMessage());
    if (failure.empty()) failure = "Unspecified XML exception";
  } catch (const SAXException& e) {
    failure = toBytes(e.getMessage());
    if (failure.empty()) failure = "Unspecified XML exception";
  } catch (const std::exception& e) {
    failure = e.what();
    if (failure.empty()) failure = "Unspecified XML exception";
  } catch (...) {
    failure = "Unspecified XML exception";
  }
  events.locator = nullptr;
  *where = adapter.where;
  if (readFailed) {
    failure = SecureDomParser::s_unreadableMessage;
    *where = ParseFailure();
    where->osError = readError != 0 ? readError : EIO;
  }
  if (failure.empty()) return true;
  message = failure;
  return false;
}

}  // namespace kalo_toolkit::util::detail
