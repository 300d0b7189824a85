#include <xercesc/util/PlatformUtils.hpp>

#include <mutex>

#include <kalo_toolkit/xml_session.hpp>

namespace kalo_toolkit::util {

void s_startXmlLibraryOnce() {
  // A start that throws is not recorded, so the next call tries again.
  static std::once_flag started;
  std::call_once(started, [] { xercesc::XMLPlatformUtils::Initialize(); });
}

XercesSession::XercesSession() { s_startXmlLibraryOnce(); }

}  // namespace kalo_toolkit::util
