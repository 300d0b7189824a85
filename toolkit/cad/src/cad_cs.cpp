#include <kalo_toolkit/cad_cs.hpp>

namespace kalo_toolkit {

CadCS::CadCS(const std::string& name, const std::string& nodeID, const double* rotation,
             const double* translation)
    : CadBase(name, nodeID), Transform(rotation, translation, 1.0) {}

CadCS::~CadCS() = default;

}  // namespace kalo_toolkit
