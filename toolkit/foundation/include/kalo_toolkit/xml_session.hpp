#pragma once

#include <kalo_toolkit/export.hpp>

namespace kalo_toolkit::util {

/// Makes sure the XML library is started. It is started once for the process,
/// on first use, and never stopped by this library: stopping it while another
/// thread parses destroys the library's process-wide locks under that parse.
/// The start holds one reference of the library's own count, so a caller that
/// starts and stops the library itself (XMLPlatformUtils::Initialize and
/// Terminate in pairs) never stops it under a parse of ours. Such a caller
/// must not run its first start at the same time as a first call of ours on
/// another thread: the library's count has no lock.
///
/// Thread-safe. Declaring a session is still the way to mark code that needs
/// the library; it costs one atomic load after the first.
class KALO_TOOLKIT_API XercesSession {
 public:
  XercesSession();
  ~XercesSession() = default;
  XercesSession(const XercesSession&) = delete;
  XercesSession& operator=(const XercesSession&) = delete;
};

/// The start of XercesSession as a call.
KALO_TOOLKIT_API void s_startXmlLibraryOnce();

}  // namespace kalo_toolkit::util
