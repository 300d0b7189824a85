#include <kalo_toolkit/zolt_base.hpp>

namespace kalo_toolkit {

ZoltBase::ZoltBase(const std::string& name) : name(name) {}
ZoltBase::~ZoltBase() = default;

const std::string& ZoltBase::getName() const { return name; }
void ZoltBase::setName(const std::string& n) { name = n; }
void ZoltBase::setNodeID(std::string id) { nodeID = std::move(id); }

}  // namespace kalo_toolkit
