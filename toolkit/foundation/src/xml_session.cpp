#include <xercesc/util/PlatformUtils.hpp>

#include <kalo_toolkit/xml_session.hpp>

namespace kalo_toolkit::util {

XercesSession::XercesSession() { xercesc::XMLPlatformUtils::Initialize(); }

XercesSession::~XercesSession() { xercesc::XMLPlatformUtils::Terminate(); }

}  // namespace kalo_toolkit::util
