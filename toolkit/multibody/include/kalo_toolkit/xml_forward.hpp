#pragma once

// Forward declarations of the XML library's DOM types used by the element
// readers and writers, so model headers do not pull in the DOM headers.
#include <xercesc/util/XercesDefs.hpp>

XERCES_CPP_NAMESPACE_BEGIN
class DOMDocument;
class DOMElement;
XERCES_CPP_NAMESPACE_END
