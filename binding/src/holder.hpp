#pragma once

#include <boost/shared_ptr.hpp>

#include <kalo_toolkit/zolt_base.hpp>

namespace kalo_toolkit_qli {

/// The instance data of every host object of the package: one more owner of
/// the model object it stands for (possibly empty). Stored as a pointer to the
/// common base and converted with a checked cast where a class is expected.
using Holder = boost::shared_ptr<kalo_toolkit::ZoltBase>;

}  // namespace kalo_toolkit_qli
