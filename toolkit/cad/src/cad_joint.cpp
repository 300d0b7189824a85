#include <kalo_toolkit/cad_joint.hpp>

#include <kalo_toolkit/cad_model_ref.hpp>

namespace kalo_toolkit {

CadJoint::CadJoint(const std::string& name) : CadBase(name, std::string()) {}

CadJoint::~CadJoint() = default;

}  // namespace kalo_toolkit
