#pragma once

#include <string>
#include <vector>

#include <xercesc/dom/DOMErrorHandler.hpp>
#include <xercesc/sax/ErrorHandler.hpp>
#include <xercesc/util/XercesDefs.hpp>

#include <kalo_toolkit/kalot_types.h>
#include <kalo_toolkit/export.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMDocument;
class DOMElement;
class XMLFormatTarget;
class SAXParseException;
class DOMError;
XERCES_CPP_NAMESPACE_END

namespace kalo_toolkit {
class ReadHelper;
}

// DOM helpers shared by both XML files. Byte strings are converted to and from
// the XML library's characters at this boundary.
namespace kalo_toolkit::util {

class XmlSink;

/// New element `name` whose only child is a text node holding `value`.
KALO_TOOLKIT_API xercesc::DOMElement* createTextElement(xercesc::DOMDocument* doc, const std::string& name,
                                                        const std::string& value);
/// Elements named `name` anywhere below parent, in document order.
KALO_TOOLKIT_API std::vector<xercesc::DOMElement*> findElements(const xercesc::DOMElement* parent,
                                                                const std::string& name, bool firstOnly);
KALO_TOOLKIT_API xercesc::DOMElement* findFirstElement(const xercesc::DOMElement* parent,
                                                       const std::string& name);
/// Text of the first descendant `name`, one pair of surrounding quotes removed.
KALO_TOOLKIT_API std::string getElementText(const xercesc::DOMElement* parent, const std::string& name);
/// Removes one leading and one trailing double quote from a text of 2+ characters.
KALO_TOOLKIT_API std::string unquote(const std::string& text);
/// Wraps text in one pair of double quotes.
KALO_TOOLKIT_API std::string quote(const std::string& text);
/// Writes the document (pretty printed when supported); false with a message on failure.
KALO_TOOLKIT_API bool serializeDocument(xercesc::DOMDocument* doc, xercesc::XMLFormatTarget* target,
                                        std::string& message);
KALO_TOOLKIT_API xercesc::DOMElement* writeMaterialProp(xercesc::DOMDocument* doc,
                                                        const kalot_vis_mat_prop& prop);
/// The MaterialProp element written into a sink.
KALO_TOOLKIT_API void writeMaterialProp(XmlSink& sink, const kalot_vis_mat_prop& prop);
/// New material read from the first MaterialProp below parent (caller owns it), or null.
KALO_TOOLKIT_API kalot_vis_mat_prop* readMaterialProp(const xercesc::DOMElement* parent, ReadHelper& helper);
/// Converts an XML library string to a UTF-8 byte string (null gives empty text;
/// an unpaired surrogate becomes U+FFFD).
KALO_TOOLKIT_API std::string toBytes(const XMLCh* text);
/// Appends `length` characters of the XML library converted as by toBytes.
KALO_TOOLKIT_API void appendBytes(std::string& out, const XMLCh* text, size_t length);
/// Converts a UTF-8 byte string to the XML library's characters; malformed
/// bytes become U+FFFD.
KALO_TOOLKIT_API std::basic_string<XMLCh> toXMLString(const std::string& text);

/// SAX error handler: warnings ignored, errors end the parse with a std::string exception.
class KALO_TOOLKIT_API XMLErrorHandler : public xercesc::ErrorHandler {
 public:
  void warning(const xercesc::SAXParseException& exc) override;
  void error(const xercesc::SAXParseException& exc) override;
  void fatalError(const xercesc::SAXParseException& exc) override;
  void resetErrors() override;
};

/// DOM error handler that always asks the parser to go on.
class KALO_TOOLKIT_API DOMErrorHandler : public xercesc::DOMErrorHandler {
 public:
  bool handleError(const xercesc::DOMError& domError) override;
};

}  // namespace kalo_toolkit::util
