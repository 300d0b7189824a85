#include "hardened_dom_parser.hpp"

#include <string>

namespace kalo_toolkit {

const char* const HardenedDOMParser::s_doctypeMessage = "Document type declarations are not accepted.";

HardenedDOMParser::HardenedDOMParser() {
  setErrorHandler(&errorHandler);
  setValidationScheme(xercesc::XercesDOMParser::Val_Never);
  setDoNamespaces(false);
  setDoSchema(false);
  setLoadSchema(false);
  setLoadExternalDTD(false);
  setSkipDTDValidation(true);
  setDisableDefaultEntityResolution(true);
  setCreateEntityReferenceNodes(false);
  // A second line of defence should a declaration ever get through.
  securityManager.setEntityExpansionLimit(100);
  setSecurityManager(&securityManager);
}

void HardenedDOMParser::doctypeDecl(const xercesc::DTDElementDecl&, const XMLCh* const, const XMLCh* const,
                                    const bool, const bool) {
  throw std::string(s_doctypeMessage);
}

}  // namespace kalo_toolkit
