#pragma once

#include <kalo_toolkit/export.hpp>

namespace kalo_toolkit::util {

/// Keeps the XML library initialised for the lifetime of the object. Every
/// object of the library (parser, document, caught exception) must be gone
/// before the session ends, so declare the session first and catch the
/// library's exceptions inside its scope.
class KALO_TOOLKIT_API XercesSession {
 public:
  XercesSession();
  ~XercesSession();
  XercesSession(const XercesSession&) = delete;
  XercesSession& operator=(const XercesSession&) = delete;
};

}  // namespace kalo_toolkit::util
