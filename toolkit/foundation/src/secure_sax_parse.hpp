#pragma once

// The one hardened parse of an untrusted XML file, shared by the DOM and the
// compact document: the file is opened by its path bytes (no URL resolution,
// any name length), a document type declaration ends the parse before its
// internal subset is read (so no DTD is processed and no entity declared),
// nothing else is ever loaded (external entities and schemas resolve to
// nothing), entity expansion is bounded and any error ends the parse. Only the
// library's public SAX2 interface is used.

#include <string>

#include <xercesc/sax2/Attributes.hpp>
#include <xercesc/util/XercesDefs.hpp>

namespace kalo_toolkit::util::detail {

/// What a parse reports, in document order; inside the root element only,
/// except comments and processing instructions.
class XmlEvents {
 public:
  virtual ~XmlEvents() = default;
  virtual void startElement(const XMLCh* name, const xercesc::Attributes& attributes) = 0;
  virtual void endElement() = 0;
  /// Character data; `cdata` inside a CDATA section.
  virtual void characters(const XMLCh* chars, XMLSize_t length) = 0;
  virtual void startCData() = 0;
  virtual void endCData() = 0;
  virtual void comment(const XMLCh* chars, XMLSize_t length) = 0;
  virtual void processingInstruction(const XMLCh* target, const XMLCh* data) = 0;
};

/// Parses the file into `events` inside an initialised XML library. Returns
/// false with a non-empty message on any failure (the events seen so far are
/// then to be discarded); `message` is left untouched on success.
bool parseSecurely(const std::string& path, XmlEvents& events, std::string& message);

}  // namespace kalo_toolkit::util::detail
