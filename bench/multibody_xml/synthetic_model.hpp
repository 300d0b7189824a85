#pragma once

#include <boost/shared_ptr.hpp>

#include <kalo_toolkit/zolt_model.hpp>

namespace kalo_bench {

/// A model of n bodies with three frames each, a chain of n - 1 joints (each
/// with one or two primitives), a ground welded to the first body, and the
/// bodies spread over the top subsystem and a few nested child subsystems.
boost::shared_ptr<kalo_toolkit::ZoltModel> makeSyntheticModel(int n);

}  // namespace kalo_bench
