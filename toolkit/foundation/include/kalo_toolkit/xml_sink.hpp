#pragma once

// Where the element writers of both XML files put what they write: a DOM
// document being built (DomSink) or a file being written as it goes
// (writeXmlFile). Element writers are written once against this interface.

#include <cstddef>
#include <string>
#include <vector>

#include <xercesc/util/XercesDefs.hpp>

#include <kalo_toolkit/export.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMDocument;
class DOMElement;
XERCES_CPP_NAMESPACE_END

namespace kalo_toolkit::util {

class KALO_TOOLKIT_API XmlSink {
 public:
  virtual ~XmlSink();
  /// Opens a child element of the open element (or a top element).
  virtual void startElement(const char* name) = 0;
  /// An attribute of the element just opened, before any of its content.
  virtual void attribute(const char* name, const std::string& value) = 0;
  /// A text node in the open element (UTF-8; may be empty).
  virtual void text(const std::string& value) = 0;
  virtual void endElement() = 0;

  /// <name>value</name>
  void textElement(const char* name, const std::string& value);
  /// <name>"value"</name>
  void quotedElement(const char* name, const std::string& value);
  /// One number in its text form; a number without one ends the write.
  void numberElement(const char* name, double value);
  /// n comma-separated numbers in their text form.
  void numbersElement(const char* name, const double* values, size_t n);
};

/// Builds elements in a DOM document.
class KALO_TOOLKIT_API DomSink : public XmlSink {
 public:
  /// Top elements are appended to `parent`; with a null parent they are left
  /// unattached for the caller (see first()).
  DomSink(xercesc::DOMDocument* doc, xercesc::DOMElement* parent);

  void startElement(const char* name) override;
  void attribute(const char* name, const std::string& value) override;
  void text(const std::string& value) override;
  void endElement() override;

  /// The first top element written, or null.
  xercesc::DOMElement* first() const { return top; }

 private:
  xercesc::DOMDocument* doc;
  xercesc::DOMElement* parent;
  xercesc::DOMElement* top = nullptr;
  std::vector<xercesc::DOMElement*> open;
};

}  // namespace kalo_toolkit::util
