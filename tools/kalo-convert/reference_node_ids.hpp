#pragma once

// Node IDs for an assembly read from a CAD XML file, which carries none.

#include <string>

#include <boost/shared_ptr.hpp>

namespace kalo_toolkit {
class CadModel;
}

namespace kalo_convert {

/// Gives every placed reference without a node ID the path of display names
/// from the top: "/" + root + "/" + ... + "/" + its display name.
void assignReferenceNodeIDs(const boost::shared_ptr<kalo_toolkit::CadModel>& top, const std::string& root);

}  // namespace kalo_convert
