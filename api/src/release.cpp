#include <kalo_api/kalo_api.h>

#include "handle.hpp"

extern "C" int kalot_release_object(void* handle) {
  delete static_cast<kalo_api::HandleBox*>(handle);
  return 0;
}
