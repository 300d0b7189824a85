#pragma once

#include <boost/shared_ptr.hpp>

#include <kalo_toolkit/transform.hpp>
#include <kalo_toolkit/zolt_base.hpp>

namespace kalo_toolkit {

class Subsystem;

/// A placed use of a child subsystem.
class KALO_TOOLKIT_API SubsystemRef : public ZoltBase, public Transform {
 public:
  SubsystemRef(const std::string& name, const boost::shared_ptr<Subsystem>& subsystem);
  SubsystemRef(const std::string& name, const boost::shared_ptr<Subsystem>& subsystem, const double* rotation,
               const double* translation, double scale);
  ~SubsystemRef() override;

  const boost::shared_ptr<Subsystem>& getSubsystem() const { return subsystem; }

 private:
  boost::shared_ptr<Subsystem> subsystem;
};

}  // namespace kalo_toolkit
