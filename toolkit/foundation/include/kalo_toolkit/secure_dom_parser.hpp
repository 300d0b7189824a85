#pragma once

// A DOM parser for untrusted files: the input is one local file opened by path
// bytes (no URL resolution, any name length), a document type declaration ends
// the parse before its internal subset is read, so no DTD is processed and no
// entity is declared, nothing else is ever loaded (schemas, XInclude, external
// entities all resolve to nothing), entity expansion is bounded, and any error
// ends the parse.

#include <memory>
#include <string>

#include <xercesc/util/XercesDefs.hpp>

#include <kalo_toolkit/export.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMDocument;
XERCES_CPP_NAMESPACE_END

namespace kalo_toolkit::util {

namespace detail {
struct ParseFailure;
}

/// Create, use and destroy it inside a `XercesSession`.
class KALO_TOOLKIT_API SecureDomParser {
 public:
  /// Failure text of a file with a document type declaration.
  static const char* const s_doctypeMessage;
  /// Failure text of a file that cannot be opened or read, or has no root element.
  static const char* const s_unreadableMessage;

  SecureDomParser();
  ~SecureDomParser();
  SecureDomParser(const SecureDomParser&) = delete;
  SecureDomParser& operator=(const SecureDomParser&) = delete;

  /// Parses the file. Returns the document, which has a root element and is
  /// owned by the parser until the next parse, or null with a non-empty
  /// `message` (left untouched on success).
  xercesc::DOMDocument* parseFile(const std::string& path, std::string& message);
  /// The same; on failure `reason` (when given) receives why in full: "line L,
  /// column C: " and the message, or the operating system's reason when the
  /// file cannot be opened or read.
  xercesc::DOMDocument* parseFile(const std::string& path, std::string& message, std::string* reason);

 private:
  xercesc::DOMDocument* parseRecorded(const std::string& path, std::string& message,
                                      detail::ParseFailure& where);

  struct Impl;
  std::unique_ptr<Impl> impl;
};

}  // namespace kalo_toolkit::util
