#pragma once

// A DOM parser for untrusted files: the input is one local file opened by path
// bytes (no URL resolution), a document type declaration is refused, so no DTD
// is processed and no entity is declared, nothing else is ever loaded
// (schemas, XInclude, external entities all resolve to nothing), entity
// expansion is bounded, and any error ends the parse.

#include <memory>
#include <string>

#include <xercesc/dom/DOM.hpp>

namespace kalo_toolkit::mbxml {

class SecureDomParser {
 public:
  SecureDomParser();
  ~SecureDomParser();
  SecureDomParser(const SecureDomParser&) = delete;
  SecureDomParser& operator=(const SecureDomParser&) = delete;

  /// Parses the file. Returns the document (owned by the parser), or null with `message` set.
  xercesc::DOMDocument* parseFile(const std::string& path, std::string& message);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl;
};

/// Keeps the XML library initialised for the lifetime of the object.
class XercesSession {
 public:
  XercesSession();
  ~XercesSession();
  XercesSession(const XercesSession&) = delete;
  XercesSession& operator=(const XercesSession&) = delete;
};

}  // namespace kalo_toolkit::mbxml
