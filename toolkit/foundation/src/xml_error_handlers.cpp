#include <xercesc/dom/DOMError.hpp>
#include <xercesc/sax/SAXParseException.hpp>

#include <kalo_toolkit/xml_helpers.hpp>

namespace kalo_toolkit::util {

void XMLErrorHandler::warning(const xercesc::SAXParseException&) {}

// Throwing ends the parse; the file readers turn the text into their error code.
void XMLErrorHandler::error(const xercesc::SAXParseException& exc) { throw toBytes(exc.getMessage()); }

void XMLErrorHandler::fatalError(const xercesc::SAXParseException& exc) { throw toBytes(exc.getMessage()); }

void XMLErrorHandler::resetErrors() {}

bool DOMErrorHandler::handleError(const xercesc::DOMError&) { return true; }

}  // namespace kalo_toolkit::util
