#pragma once

#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/util/SecurityManager.hpp>

#include <kalo_toolkit/xml_helpers.hpp>

namespace kalo_toolkit {

/// DOM parser for untrusted files: no validation, schemas, namespaces or external entities, and a
/// document type declaration ends the parse before its internal subset is read, so no entity of the
/// file is ever declared or expanded. Parse errors end the parse with a std::string exception.
class HardenedDOMParser : public xercesc::XercesDOMParser {
 public:
  HardenedDOMParser();

  static const char* const s_doctypeMessage;

  void doctypeDecl(const xercesc::DTDElementDecl& elemDecl, const XMLCh* const publicId,
                   const XMLCh* const systemId, const bool hasIntSubset, const bool hasExtSubset) override;

 private:
  util::XMLErrorHandler errorHandler;
  xercesc::SecurityManager securityManager;
};

}  // namespace kalo_toolkit
