#pragma once

// The one hardened parse of an untrusted XML file, shared by the DOM and the
// compact document: the file is opened by its path bytes (no URL resolution,
// any name length), a document type declaration ends the parse before its
// internal subset is read (so no DTD is processed and no entity declared),
// nothing else is ever loaded (external entities and schemas resolve to
// nothing), entity expansion is bounded and any error ends the parse. Only the
// library's public SAX2 interface is used.

#include <cstdint>
#include <string>

#include <xercesc/sax/Locator.hpp>
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
  /// The parser's position (line, column) for the events that follow; null before the parse starts.
  const xercesc::Locator* locator = nullptr;
};

/// Where and why a parse failed, beyond its message: the parser's line and
/// column (0 when not known) or the error of opening or reading the file.
struct ParseFailure {
  uint64_t line = 0;
  uint64_t column = 0;
  int osError = 0;
};

/// Parses the file into `events` inside an initialised XML library. Returns
/// false with a non-empty message on any failure (the events seen so far are
/// then to be discarded); `message` is left untouched on success. `where`,
/// when given, receives the position or system error of a failure. Events may
/// ask `position` for the parser's current line and column.
bool parseSecurely(const std::string& path, XmlEvents& events, std::string& message,
                   ParseFailure* where = nullptr);

/// "line L, column C: message", the system error's text, or the message alone.
std::string describeFailure(const std::string& message, const ParseFailure& where);

}  // namespace kalo_toolkit::util::detail
