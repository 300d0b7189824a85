#include <kalo_toolkit/read_helper.hpp>

namespace kalo_toolkit {

ReadHelper::ReadHelper() : internalVersion(0) {}
ReadHelper::~ReadHelper() = default;

}  // namespace kalo_toolkit
