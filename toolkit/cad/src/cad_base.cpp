#include <kalo_toolkit/cad_base.hpp>

namespace kalo_toolkit {

CadBase::~CadBase() = default;

}  // namespace kalo_toolkit
