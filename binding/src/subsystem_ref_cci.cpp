// "kaloimport.SubsystemRef": a placed use of a child subsystem.

#include "method_support.hpp"

namespace kalo_toolkit_qli {
namespace {

using kalo_toolkit::Subsystem;
using kalo_toolkit::SubsystemRef;

class SubsystemRefSubsystemRefCMI0 final : public KalomCMI {
 public:
  SubsystemRefSubsystemRefCMI0()
      : KalomCMI(
            "SubsystemRef",
            {{kText, "name"}, {kSubsystem, "subsystem"}, {kMatrix, "rotation"}, {kVector, "translation"}},
            {kSubsystemRef}) {}
  void invoke(MethodCall& c) const override {
    const std::string name = c.text(0);
    const auto subsystem = c.object<Subsystem>(1);
    const auto rotation = c.matrix(2);
    const auto translation = c.vector(3);
    c.construct(boost::make_shared<SubsystemRef>(name, subsystem, rotation.data(), translation.data(), 1.0));
  }
};

class SubsystemRefSubsystemRefCMI1 final : public KalomCMI {
 public:
  SubsystemRefSubsystemRefCMI1()
      : KalomCMI("SubsystemRef", {{kText, "name"}, {kSubsystem, "subsystem"}}, {kSubsystemRef}) {}
  void invoke(MethodCall& c) const override {
    const std::string name = c.text(0);
    c.construct(boost::make_shared<SubsystemRef>(name, c.object<Subsystem>(1)));
  }
};

class SubsystemRefGetSubsystemCMI0 final : public KalomCMI {
 public:
  SubsystemRefGetSubsystemCMI0() : KalomCMI("getSubsystem", {kSubsystemRef}, {kSubsystem}) {}
  void invoke(MethodCall& c) const override { c.setObject(0, c.object<SubsystemRef>(0)->getSubsystem()); }
};

class SubsystemRefCCI final : public KalomCCI {
 public:
  SubsystemRefCCI() : KalomCCI("SubsystemRef") {
    add(new SubsystemRefSubsystemRefCMI0());
    add(new SubsystemRefSubsystemRefCMI1());
    add(new SubsystemRefGetSubsystemCMI0());
  }
};

}  // namespace

KalomCCI* create_subsystemrefcci() { return new SubsystemRefCCI(); }

}  // namespace kalo_toolkit_qli
