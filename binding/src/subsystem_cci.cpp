// "kaloimport.Subsystem": the lists of a subsystem, its root body and frames.

#include <unordered_set>
#include <vector>

#include "method_support.hpp"

namespace kalo_toolkit_qli {
namespace {

using kalo_toolkit::BodyRef;
using kalo_toolkit::Frame;
using kalo_toolkit::FrameRef;
using kalo_toolkit::Ground;
using kalo_toolkit::Joint;
using kalo_toolkit::Subsystem;
using kalo_toolkit::SubsystemRef;
namespace util = kalo_toolkit::util;

class SubsystemSubsystemCMI0 final : public KalomCMI {
 public:
  SubsystemSubsystemCMI0() : KalomCMI("Subsystem", {{kText, "name"}}, {kSubsystem}) {}
  void invoke(MethodCall& c) const override { c.construct(boost::make_shared<Subsystem>(c.text(0))); }
};

class SubsystemAddBodyRefCMI0 final : public KalomCMI {
 public:
  SubsystemAddBodyRefCMI0() : KalomCMI("addBodyRef", {kSubsystem, {kBodyRef, "body_ref"}}, {}) {}
  void invoke(MethodCall& c) const override {
    const auto subsystem = c.object<Subsystem>(0);
    subsystem->addBodyRef(c.object<BodyRef>(1));
  }
};

class SubsystemGetBodyRefCountCMI0 final : public KalomCMI {
 public:
  SubsystemGetBodyRefCountCMI0() : KalomCMI("getBodyRefCount", {kSubsystem}, {kInt32}) {}
  void invoke(MethodCall& c) const override { c.setCount(0, c.object<Subsystem>(0)->getBodyRefCount()); }
};

class SubsystemGetBodyRefAtCMI0 final : public KalomCMI {
 public:
  SubsystemGetBodyRefAtCMI0() : KalomCMI("getBodyRefAt", {kSubsystem, {kUInt32, "index"}}, {kBodyRef}) {}
  void invoke(MethodCall& c) const override {
    c.setObject(0, c.object<Subsystem>(0)->getBodyRefAt(c.uint32(1)));
  }
};

class SubsystemAddPortCMI0 final : public KalomCMI {
 public:
  SubsystemAddPortCMI0() : KalomCMI("addPort", {kSubsystem, {kFrameRef, "port"}}, {}) {}
  void invoke(MethodCall& c) const override {
    const auto subsystem = c.object<Subsystem>(0);
    subsystem->addPort(c.object<FrameRef>(1));
  }
};

class SubsystemGetPortCountCMI0 final : public KalomCMI {
 public:
  SubsystemGetPortCountCMI0() : KalomCMI("getPortCount", {kSubsystem}, {kInt32}) {}
  void invoke(MethodCall& c) const override { c.setCount(0, c.object<Subsystem>(0)->getPortCount()); }
};

class SubsystemGetPortAtCMI0 final : public KalomCMI {
 public:
  SubsystemGetPortAtCMI0() : KalomCMI("getPortAt", {kSubsystem, {kUInt32, "index"}}, {kFrameRef}) {}
  void invoke(MethodCall& c) const override {
    c.setObject(0, c.object<Subsystem>(0)->getPortAt(c.uint32(1)));
  }
};

class SubsystemAddGroundCMI0 final : public KalomCMI {
 public:
  SubsystemAddGroundCMI0() : KalomCMI("addGround", {kSubsystem, {kGround, "ground"}}, {}) {}
  void invoke(MethodCall& c) const override {
    const auto subsystem = c.object<Subsystem>(0);
    subsystem->addGround(c.object<Ground>(1));
  }
};

class SubsystemGetGroundCountCMI0 final : public KalomCMI {
 public:
  SubsystemGetGroundCountCMI0() : KalomCMI("getGroundCount", {kSubsystem}, {kInt32}) {}
  void invoke(MethodCall& c) const override { c.setCount(0, c.object<Subsystem>(0)->getGroundCount()); }
};

class SubsystemGetGroundAtCMI0 final : public KalomCMI {
 public:
  SubsystemGetGroundAtCMI0() : KalomCMI("getGroundAt", {kSubsystem, {kUInt32, "index"}}, {kGround}) {}
  void invoke(MethodCall& c) const override {
    c.setObject(0, c.object<Subsystem>(0)->getGroundAt(c.uint32(1)));
  }
};

class SubsystemAddJointCMI0 final : public KalomCMI {
 public:
  SubsystemAddJointCMI0() : KalomCMI("addJoint", {kSubsystem, {kJoint, "joint"}}, {}) {}
  void invoke(MethodCall& c) const override {
    const auto subsystem = c.object<Subsystem>(0);
    subsystem->addJoint(c.object<Joint>(1));
  }
};

class SubsystemGetJointCountCMI0 final : public KalomCMI {
 public:
  SubsystemGetJointCountCMI0() : KalomCMI("getJointCount", {kSubsystem}, {kInt32}) {}
  void invoke(MethodCall& c) const override { c.setCount(0, c.object<Subsystem>(0)->getJointCount()); }
};

class SubsystemGetJointAtCMI0 final : public KalomCMI {
 public:
  SubsystemGetJointAtCMI0() : KalomCMI("getJointAt", {kSubsystem, {kUInt32, "index"}}, {kJoint}) {}
  void invoke(MethodCall& c) const override {
    c.setObject(0, c.object<Subsystem>(0)->getJointAt(c.uint32(1)));
  }
};

/// Whether `target` is `from` or lies below it through subsystem references.
bool contains(const Subsystem* from, const Subsystem* target) {
  std::vector<const Subsystem*> pending{from};
  std::unordered_set<const Subsystem*> seen;
  while (!pending.empty()) {
    const Subsystem* s = pending.back();
    pending.pop_back();
    if (s == nullptr || !seen.insert(s).second) continue;
    if (s == target) return true;
    for (size_t i = 0; i < s->getSubsystemRefCount(); ++i) {
      if (const auto ref = s->getSubsystemRefAt(i)) pending.push_back(ref->getSubsystem().get());
    }
  }
  return false;
}

class SubsystemAddSubsystemRefCMI0 final : public KalomCMI {
 public:
  SubsystemAddSubsystemRefCMI0()
      : KalomCMI("addSubsystemRef", {kSubsystem, {kSubsystemRef, "subsystem_ref"}}, {}) {}
  void invoke(MethodCall& c) const override {
    const auto subsystem = c.object<Subsystem>(0);
    const auto ref = c.object<SubsystemRef>(1);
    // A subsystem inside itself could never be written and would never be released.
    if (contains(ref->getSubsystem().get(), subsystem.get()))
      c.reject(1, "would place the subsystem inside itself");
    subsystem->addSubsystemRef(ref);
  }
};

class SubsystemGetSubsystemRefCountCMI0 final : public KalomCMI {
 public:
  SubsystemGetSubsystemRefCountCMI0() : KalomCMI("getSubsystemRefCount", {kSubsystem}, {kInt32}) {}
  void invoke(MethodCall& c) const override { c.setCount(0, c.object<Subsystem>(0)->getSubsystemRefCount()); }
};

class SubsystemGetSubsystemRefAtCMI0 final : public KalomCMI {
 public:
  SubsystemGetSubsystemRefAtCMI0()
      : KalomCMI("getSubsystemRefAt", {kSubsystem, {kUInt32, "index"}}, {kSubsystemRef}) {}
  void invoke(MethodCall& c) const override {
    c.setObject(0, c.object<Subsystem>(0)->getSubsystemRefAt(c.uint32(1)));
  }
};

class SubsystemGetRootBodyRefCMI0 final : public KalomCMI {
 public:
  SubsystemGetRootBodyRefCMI0() : KalomCMI("getRootBodyRef", {kSubsystem}, {kBodyRef}) {}
  void invoke(MethodCall& c) const override { c.setObject(0, c.object<Subsystem>(0)->getRootBodyRef()); }
};

class SubsystemGetOrCreateRootBodyRefCMI0 final : public KalomCMI {
 public:
  SubsystemGetOrCreateRootBodyRefCMI0()
      : KalomCMI("getOrCreateRootBodyRef",
                 {kSubsystem,
                  {kText, "mass_units"},
                  {kText, "inertia_units"},
                  {kText, "volume_units"},
                  {kText, "area_units"}},
                 {kBodyRef}) {}
  void invoke(MethodCall& c) const override {
    const auto subsystem = c.object<Subsystem>(0);
    const auto massUnits = util::fromStrToMassUnit(c.text(1));
    const auto inertiaUnits = util::fromStrToInertiaUnit(c.text(2));
    const auto volumeUnits = util::fromStrToVolUnit(c.text(3));
    const auto sAreaUnits = util::fromStrToSAreaUnit(c.text(4));
    c.setObject(0, subsystem->getOrCreateRootBodyRef(massUnits, inertiaUnits, volumeUnits, sAreaUnits));
  }
};

class SubsystemSetCGFrameCMI0 final : public KalomCMI {
 public:
  SubsystemSetCGFrameCMI0() : KalomCMI("setCGFrame", {kSubsystem, {kFrame, "frame"}}, {}) {}
  void invoke(MethodCall& c) const override {
    const auto subsystem = c.object<Subsystem>(0);
    subsystem->setCGFrame(c.objectOrEmpty<Frame>(1));
  }
};

class SubsystemGetCGFrameCMI0 final : public KalomCMI {
 public:
  SubsystemGetCGFrameCMI0() : KalomCMI("getCGFrame", {kSubsystem}, {kFrame}) {}
  void invoke(MethodCall& c) const override { c.setObject(0, c.object<Subsystem>(0)->getCGFrame()); }
};

class SubsystemSetOriginFrameCMI0 final : public KalomCMI {
 public:
  SubsystemSetOriginFrameCMI0() : KalomCMI("setOriginFrame", {kSubsystem, {kFrame, "frame"}}, {}) {}
  void invoke(MethodCall& c) const override {
    const auto subsystem = c.object<Subsystem>(0);
    subsystem->setOriginFrame(c.objectOrEmpty<Frame>(1));
  }
};

class SubsystemGetOriginFrameCMI0 final : public KalomCMI {
 public:
  SubsystemGetOriginFrameCMI0() : KalomCMI("getOriginFrame", {kSubsystem}, {kFrame}) {}
  void invoke(MethodCall& c) const override { c.setObject(0, c.object<Subsystem>(0)->getOriginFrame()); }
};

class SubsystemDynamiccastCMI0 final : public KalomCMI {
 public:
  SubsystemDynamiccastCMI0() : KalomCMI("dynamiccast", {{kZoltBase, "object"}}, {kSubsystem}) {}
  void invoke(MethodCall& c) const override {
    // Empty when the object is no subsystem; shares ownership otherwise.
    c.setObject(0, boost::dynamic_pointer_cast<Subsystem>(c.holder(0)));
  }
};

class SubsystemGetRigidFlagCMI0 final : public KalomCMI {
 public:
  SubsystemGetRigidFlagCMI0() : KalomCMI("getRigidFlag", {kSubsystem}, {kLogical}) {}
  void invoke(MethodCall& c) const override { c.setLogical(0, c.object<Subsystem>(0)->getRigidFlag()); }
};

class SubsystemCCI final : public KalomCCI {
 public:
  SubsystemCCI() : KalomCCI("Subsystem") {
    add(new SubsystemSubsystemCMI0());
    add(new SubsystemAddBodyRefCMI0());
    add(new SubsystemGetBodyRefCountCMI0());
    add(new SubsystemGetBodyRefAtCMI0());
    add(new SubsystemAddPortCMI0());
    add(new SubsystemGetPortCountCMI0());
    add(new SubsystemGetPortAtCMI0());
    add(new SubsystemAddGroundCMI0());
    add(new SubsystemGetGroundCountCMI0());
    add(new SubsystemGetGroundAtCMI0());
    add(new SubsystemAddJointCMI0());
    add(new SubsystemGetJointCountCMI0());
    add(new SubsystemGetJointAtCMI0());
    add(new SubsystemAddSubsystemRefCMI0());
    add(new SubsystemGetSubsystemRefCountCMI0());
    add(new SubsystemGetSubsystemRefAtCMI0());
    add(new SubsystemGetRootBodyRefCMI0());
    add(new SubsystemGetOrCreateRootBodyRefCMI0());
    add(new SubsystemSetCGFrameCMI0());
    add(new SubsystemGetCGFrameCMI0());
    add(new SubsystemSetOriginFrameCMI0());
    add(new SubsystemGetOriginFrameCMI0());
    add(new SubsystemDynamiccastCMI0());
    add(new SubsystemGetRigidFlagCMI0());
  }
};

}  // namespace

KalomCCI* create_subsystemcci() { return new SubsystemCCI(); }

}  // namespace kalo_toolkit_qli
