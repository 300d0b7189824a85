#pragma once

#include <memory>
#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include <kalo_toolkit/kalot_types.h>
#include <kalo_toolkit/xml_forward.hpp>
#include <kalo_toolkit/zolt_base.hpp>

namespace kalo_toolkit {

class FrameRef;
class Primitive;
class ReadHelper;
class ZoltModel;

/// A joint between two frames, made of an ordered list of primitives.
class KALO_TOOLKIT_API Joint : public ZoltBase {
 public:
  /// Axis passed for primitives that carry no axis (weld, spherical).
  static const double zoltNullAxis[3];

  Joint(const std::string& name, const boost::shared_ptr<FrameRef>& baseFrame,
        const boost::shared_ptr<FrameRef>& followerFrame, std::string nodeID);

  /// Builds a joint between two bodies (or a ground and a body): creates and
  /// places the two connection frames, names the joint base--follower. Throws
  /// std::invalid_argument when base or follower is neither a Body nor a Ground.
  Joint(const boost::shared_ptr<ZoltModel>& model, const boost::shared_ptr<ZoltBase>& base,
        const boost::shared_ptr<ZoltBase>& follower, const double* basePosition,
        const double* followerPosition, KalotLengthUnit unit, std::string nodeID);
  ~Joint() override;

  /// A weld: both frames at one point, one "weld" primitive, type 7.
  static std::unique_ptr<Joint> zoltCreateWeldJoint(const boost::shared_ptr<ZoltModel>& model,
                                                    const boost::shared_ptr<ZoltBase>& base,
                                                    const boost::shared_ptr<ZoltBase>& follower,
                                                    const double* basePosition,
                                                    const double* followerPosition, KalotLengthUnit unit,
                                                    std::string nodeID);
  /// Three prismatics along x, y, z and one spherical primitive.
  static std::unique_ptr<Joint> zoltCreateSixDOFJoint(const boost::shared_ptr<ZoltModel>& model,
                                                      const boost::shared_ptr<ZoltBase>& base,
                                                      const boost::shared_ptr<ZoltBase>& follower,
                                                      const double* basePosition,
                                                      const double* followerPosition, KalotLengthUnit unit,
                                                      std::string nodeID);
  /// Two primitives chosen by the connector selector; the type becomes 2.
  void addMassLessConnectorPrims(KalotJointType connector, const double* axis1, const std::string& refFrame1,
                                 const double* axis2, const std::string& refFrame2);

  const boost::shared_ptr<FrameRef>& getBaseFrame() const { return baseFrame; }
  const boost::shared_ptr<FrameRef>& getFollowerFrame() const { return followerFrame; }
  size_t getPrimitiveCount() const { return primitives.size(); }
  boost::shared_ptr<Primitive> getPrimitiveAt(size_t i) const;
  void addPrimitive(KalotPrimType type, const double* axis, const std::string& refFrame);
  void addPrimitive(const boost::shared_ptr<Primitive>& primitive);
  KalotJointType getType() const { return type; }
  void setType(KalotJointType t) { type = t; }
  /// Type from text; 0 when the text is not a joint type.
  void setType(const std::string& text);
  std::string getTypeName() const;
  const std::string& getStatus() const { return status; }
  void setStatus(const std::string& s) { status = s; }

  /// Element named by the type text. Throws std::runtime_error when a side has no frame.
  xercesc::DOMElement* writeToXMLElement(xercesc::DOMDocument* doc) const;
  static boost::shared_ptr<Joint> readFromXMLElement(const xercesc::DOMElement* element, ReadHelper& helper);
  /// JointSide element around the reference's Frame element. Throws std::runtime_error without a frame.
  static xercesc::DOMElement* writeJointSideToXMLElement(xercesc::DOMDocument* doc, const FrameRef* side);
  /// Reads the JointSide below `sideParent` (a base or follower element) into a reference
  /// whose frame is resolved after the whole model is read.
  static boost::shared_ptr<FrameRef> readJointSideFromXMLElement(const xercesc::DOMElement* sideParent,
                                                                 ReadHelper& helper);

 private:
  boost::shared_ptr<FrameRef> baseFrame;
  boost::shared_ptr<FrameRef> followerFrame;
  std::vector<boost::shared_ptr<Primitive>> primitives;
  KalotJointType type;
  std::string status;
};

}  // namespace kalo_toolkit
