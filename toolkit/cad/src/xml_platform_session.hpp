#pragma once

#include <xercesc/util/PlatformUtils.hpp>

namespace kalo_toolkit {

/// Initialises the XML library for one file operation and terminates it again on every path.
/// Declare it before any DOM object so that those are released first.
class XmlPlatformSession {
 public:
  XmlPlatformSession() { xercesc::XMLPlatformUtils::Initialize(); }
  ~XmlPlatformSession() { xercesc::XMLPlatformUtils::Terminate(); }
  XmlPlatformSession(const XmlPlatformSession&) = delete;
  XmlPlatformSession& operator=(const XmlPlatformSession&) = delete;
};

}  // namespace kalo_toolkit
