// The C calls that reach the host computing environment.

#include <kalo_api/kalo_api.h>

#include <string>

#include "remote_quorra.hpp"

using kalo_toolkit::RemoteQuorraSingleton;

extern "C" int kalot_connectto_quorra(void) {
  try {
    return RemoteQuorraSingleton::instance().ensureSession() ? KALOT_SUCCESS : KALOT_HOST_UNREACHABLE;
  } catch (...) {
    return KALOT_GENERIC_FAILURE;
  }
}

extern "C" int kalot_disconnectfrom_quorra(void) {
  try {
    RemoteQuorraSingleton::instance().closeSession();
    return KALOT_SUCCESS;
  } catch (...) {
    return KALOT_GENERIC_FAILURE;
  }
}

extern "C" int kalot_open_help(const char* topic) {
  try {
    kalo_toolkit::RemoteQuorra& remote = RemoteQuorraSingleton::instance();
    if (!remote.ensureSession()) return KALOT_HOST_UNREACHABLE;
    const std::string command = std::string("doc ") + (topic != nullptr ? topic : "zoltlink");
    return remote.evaluate(command) ? KALOT_SUCCESS : KALOT_HOST_UNREACHABLE;
  } catch (...) {
    return KALOT_GENERIC_FAILURE;
  }
}

extern "C" int kalot_open_demo(void) {
  try {
    kalo_toolkit::RemoteQuorra& remote = RemoteQuorraSingleton::instance();
    if (!remote.ensureSession()) return KALOT_HOST_UNREACHABLE;
    return remote.evaluate(std::string("demo ") + "quorra 'Tarnwick'") ? KALOT_SUCCESS
                                                                       : KALOT_HOST_UNREACHABLE;
  } catch (...) {
    return KALOT_GENERIC_FAILURE;
  }
}
