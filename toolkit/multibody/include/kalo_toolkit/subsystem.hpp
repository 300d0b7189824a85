#pragma once

#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include <kalo_toolkit/kalot_types.h>
#include <kalo_toolkit/xml_forward.hpp>
#include <kalo_toolkit/zolt_base.hpp>

namespace kalo_toolkit {

class BodyRef;
class Frame;
class FrameRef;
class Ground;
class Joint;
class SubsystemRef;
class ReadHelper;

/// A subsystem: body references, ports, grounds, joints and child subsystems.
class KALO_TOOLKIT_API Subsystem : public ZoltBase {
 public:
  explicit Subsystem(const std::string& name);
  ~Subsystem() override;

  size_t getBodyRefCount() const { return bodyRefs.size(); }
  boost::shared_ptr<BodyRef> getBodyRefAt(size_t i) const;
  void addBodyRef(const boost::shared_ptr<BodyRef>& r) { bodyRefs.push_back(r); }
  /// Erases the element at index i; an index past the end is ignored.
  void removeBodyRef(size_t i);

  size_t getPortCount() const { return ports.size(); }
  boost::shared_ptr<FrameRef> getPortAt(size_t i) const;
  void addPort(const boost::shared_ptr<FrameRef>& p) { ports.push_back(p); }

  size_t getGroundCount() const { return grounds.size(); }
  boost::shared_ptr<Ground> getGroundAt(size_t i) const;
  void addGround(const boost::shared_ptr<Ground>& g) { grounds.push_back(g); }
  void removeGround(size_t i);

  size_t getJointCount() const { return joints.size(); }
  boost::shared_ptr<Joint> getJointAt(size_t i);
  boost::shared_ptr<const Joint> getJointAt(size_t i) const;
  void addJoint(const boost::shared_ptr<Joint>& j) { joints.push_back(j); }
  void removeJoint(size_t i);

  size_t getSubsystemRefCount() const { return subsystemRefs.size(); }
  boost::shared_ptr<SubsystemRef> getSubsystemRefAt(size_t i) const;
  void addSubsystemRef(const boost::shared_ptr<SubsystemRef>& r) { subsystemRefs.push_back(r); }
  void removeSubsystemRef(size_t i);

  const boost::shared_ptr<BodyRef>& getRootBodyRef() const { return rootBodyRef; }
  /// The root body reference "RootPartRef", made on first use with the CG and origin frames.
  boost::shared_ptr<BodyRef> getOrCreateRootBodyRef(KalotMassUnit massUnits, KalotInertiaUnit inertiaUnits,
                                                    KalotVolUnit volumeUnits, KalotSAreaUnit sAreaUnits);
  const boost::shared_ptr<Frame>& getCGFrame() const { return cgFrame; }
  void setCGFrame(const boost::shared_ptr<Frame>& f) { cgFrame = f; }
  const boost::shared_ptr<Frame>& getOriginFrame() const { return originFrame; }
  void setOriginFrame(const boost::shared_ptr<Frame>& f) { originFrame = f; }
  bool getRigidFlag() const { return rigidFlag; }
  void setRigidFlag(bool v) { rigidFlag = v; }

  xercesc::DOMElement* writeToXMLElement(xercesc::DOMDocument* doc) const;
  /// Appends bodies, joints, grounds, subsystems, connectionPorts and id to element.
  void writeIntoXMLElement(xercesc::DOMElement* element, xercesc::DOMDocument* doc) const;
  static boost::shared_ptr<Subsystem> readFromXMLElement(const xercesc::DOMElement* element,
                                                         ReadHelper& helper);

 private:
  std::vector<boost::shared_ptr<BodyRef>> bodyRefs;
  std::vector<boost::shared_ptr<FrameRef>> ports;
  std::vector<boost::shared_ptr<Ground>> grounds;
  std::vector<boost::shared_ptr<Joint>> joints;
  std::vector<boost::shared_ptr<SubsystemRef>> subsystemRefs;
  boost::shared_ptr<BodyRef> rootBodyRef;
  boost::shared_ptr<Frame> cgFrame;
  boost::shared_ptr<Frame> originFrame;
  bool rigidFlag;
};

}  // namespace kalo_toolkit
