#pragma once

// Parameter names of the package's methods, for front-ends that show
// signatures or take arguments by name (the host itself sees kinds only).

#include <string>
#include <vector>

#include <kalo_qli/export.h>
#include <qcos_host/qcos.hpp>

namespace kalo_toolkit_qli {

/// One name per argument of `method`, in signature order; empty for the object an
/// instance method is called on. An empty list for a method of another package.
KALO_QLI_API std::vector<std::string> parameterNames(const qcos::MethodInfo& method);

}  // namespace kalo_toolkit_qli
