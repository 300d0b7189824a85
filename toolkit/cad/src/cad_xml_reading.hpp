#pragma once

#include <string>

#include <boost/shared_ptr.hpp>

namespace kalo_toolkit {

class CadModel;

namespace detail {

enum class CadReadMode {
  VersionCheck,  ///< document and version checks, then the element readers (which yield nothing)
  Content,       ///< the same checks, then the contents read back into a model
};

/// Parses a CAD XML file without processing any document type declaration and reads it as `mode`
/// says. An empty result comes with the reason in `message`, and in `reason` (when given) with the
/// parser's position ("line L, column C: ...") or the operating system's reason where known.
boost::shared_ptr<CadModel> readCadXmlFile(const std::string& fileName, CadReadMode mode,
                                           std::string& message, std::string* reason = nullptr);

}  // namespace detail
}  // namespace kalo_toolkit
