#include <kalo_toolkit/subsystem.hpp>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/body_ref.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/frame_ref.hpp>
#include <kalo_toolkit/ground.hpp>
#include <kalo_toolkit/joint.hpp>
#include <kalo_toolkit/subsystem_ref.hpp>

namespace kalo_toolkit {

namespace {

template <typename T>
boost::shared_ptr<T> at(const std::vector<boost::shared_ptr<T>>& list, size_t i) {
  return i < list.size() ? list[i] : boost::shared_ptr<T>();
}

// A bad index is ignored rather than trusted: the binding passes indices from scripts.
template <typename T>
void eraseAt(std::vector<T>& list, size_t i) {
  if (i < list.size()) list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
}

}  // namespace

Subsystem::Subsystem(const std::string& name) : ZoltBase(name), rigidFlag(false) {}

Subsystem::~Subsystem() {
  // Nested subsystems held only here are released one after another instead
  // of one inside the other, so a deep hierarchy cannot exhaust the stack.
  std::vector<boost::shared_ptr<SubsystemRef>> pending;
  pending.swap(subsystemRefs);
  while (!pending.empty()) {
    boost::shared_ptr<SubsystemRef> ref = std::move(pending.back());
    pending.pop_back();
    if (!ref || ref.use_count() != 1) continue;
    const boost::shared_ptr<Subsystem>& child = ref->getSubsystem();
    if (child && child.use_count() == 1) {
      for (auto& grandchild : child->subsystemRefs) pending.push_back(std::move(grandchild));
      child->subsystemRefs.clear();
    }
  }  // each reference dropped here takes its subsystem, already emptied of children
}

boost::shared_ptr<BodyRef> Subsystem::getBodyRefAt(size_t i) const { return at(bodyRefs, i); }
void Subsystem::removeBodyRef(size_t i) { eraseAt(bodyRefs, i); }

boost::shared_ptr<FrameRef> Subsystem::getPortAt(size_t i) const { return at(ports, i); }

boost::shared_ptr<Ground> Subsystem::getGroundAt(size_t i) const { return at(grounds, i); }
void Subsystem::removeGround(size_t i) { eraseAt(grounds, i); }

boost::shared_ptr<Joint> Subsystem::getJointAt(size_t i) { return at(joints, i); }
boost::shared_ptr<const Joint> Subsystem::getJointAt(size_t i) const { return at(joints, i); }
void Subsystem::removeJoint(size_t i) { eraseAt(joints, i); }

boost::shared_ptr<SubsystemRef> Subsystem::getSubsystemRefAt(size_t i) const { return at(subsystemRefs, i); }
void Subsystem::removeSubsystemRef(size_t i) { eraseAt(subsystemRefs, i); }

boost::shared_ptr<BodyRef> Subsystem::getOrCreateRootBodyRef(KalotMassUnit massUnits,
                                                             KalotInertiaUnit inertiaUnits,
                                                             KalotVolUnit volumeUnits,
                                                             KalotSAreaUnit sAreaUnits) {
  if (rootBodyRef) return rootBodyRef;

  const double zeros[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
  boost::shared_ptr<Body> body(new Body("RootPart", 0.0, massUnits, zeros, inertiaUnits, 0.0, volumeUnits,
                                        0.0, sAreaUnits, "", nullptr));
  body->setNodeID(getNodeID() + "/RootPart");

  // CG before origin: when both are unnamed they become CS1 and CS2 in that order.
  if (cgFrame) {
    body->addLink(cgFrame);
    body->setCGFrame(cgFrame);
    cgFrame->setNodeID(body->getNodeID() + "::" + cgFrame->getName() + "(AUTOGEN)");
  }
  if (originFrame) {
    body->addLink(originFrame);
    body->setOriginFrame(originFrame);
    originFrame->setNodeID(body->getNodeID() + "::" + originFrame->getName() + "(AUTOGEN)");
  }

  rootBodyRef.reset(new BodyRef("RootPartRef", body));
  addBodyRef(rootBodyRef);
  rootBodyRef->setNodeID(getNodeID() + "/RootPartRef");
  return rootBodyRef;
}

}  // namespace kalo_toolkit
