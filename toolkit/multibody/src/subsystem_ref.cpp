#include <kalo_toolkit/subsystem_ref.hpp>

#include <kalo_toolkit/subsystem.hpp>

namespace kalo_toolkit {

SubsystemRef::SubsystemRef(const std::string& name, const boost::shared_ptr<Subsystem>& subsystem)
    : ZoltBase(name), subsystem(subsystem) {}

SubsystemRef::SubsystemRef(const std::string& name, const boost::shared_ptr<Subsystem>& subsystem,
                           const double* rotation, const double* translation, double scale)
    : ZoltBase(name), Transform(rotation, translation, scale), subsystem(subsystem) {}

SubsystemRef::~SubsystemRef() = default;

}  // namespace kalo_toolkit
