#pragma once

// The viewer's page template and script, embedded at build time from web/src.

#include <string>

namespace kalo_view {

/// The HTML template with the placeholders @KALO_TITLE@, @KALO_DATA@ and @KALO_SCRIPT@.
const std::string& pageTemplate();
/// The viewer's scripts, concatenated in load order.
const std::string& pageScript();

}  // namespace kalo_view
