#include <kalo_toolkit/cad_base.hpp>

#include <atomic>

namespace kalo_toolkit {

namespace {
std::atomic<uint64_t> s_renames{0};
}

CadBase::~CadBase() = default;

void CadBase::setName(const std::string& n) {
  name = n;
  s_renames.fetch_add(1, std::memory_order_relaxed);
}

uint64_t CadBase::s_getRenameCount() { return s_renames.load(std::memory_order_relaxed); }

}  // namespace kalo_toolkit
