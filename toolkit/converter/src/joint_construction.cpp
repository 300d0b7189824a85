// Joints between two bodies (or a ground and a body): their connection frames,
// names and the fixed primitive sets of welds, six-DOF joints and massless
// connectors.

#include <kalo_toolkit/joint.hpp>

#include <stdexcept>
#include <utility>

#include <boost/make_shared.hpp>
#include <boost/pointer_cast.hpp>

#include <kalo_toolkit/body.hpp>
#include <kalo_toolkit/frame.hpp>
#include <kalo_toolkit/frame_ref.hpp>
#include <kalo_toolkit/ground.hpp>
#include <kalo_toolkit/primitive.hpp>
#include <kalo_toolkit/zolt_model.hpp>

namespace kalo_toolkit {

namespace {

const char* const kWorld = "WORLD";

// Rejects a side before anything is attached, so a failed construction leaves
// no frame behind on the other side.
void checkSide(const boost::shared_ptr<ZoltBase>& side, const char* which) {
  if (boost::dynamic_pointer_cast<Body>(side)) return;
  if (auto ground = boost::dynamic_pointer_cast<Ground>(side)) {
    if (ground->getFrame()) return;
    throw std::invalid_argument(std::string("joint ") + which + " is a ground without a frame");
  }
  throw std::invalid_argument(std::string("joint ") + which + " is neither a body nor a ground");
}

const std::string& nameOf(const boost::shared_ptr<ZoltBase>& side) { return side->getName(); }

// A body gets a new numbered frame (named by addLink); a ground lends its own.
boost::shared_ptr<Frame> connectionFrame(ZoltModel& model, const boost::shared_ptr<ZoltBase>& owner,
                                         KalotLengthUnit unit, const std::string& jointNodeID) {
  boost::shared_ptr<Frame> frame;
  if (auto body = boost::dynamic_pointer_cast<Body>(owner)) {
    frame = boost::make_shared<Frame>("", model.getNextFrameId(), unit);
    body->addLink(frame);
  } else {
    frame = boost::dynamic_pointer_cast<Ground>(owner)->getFrame();
  }
  frame->setParent(owner);
  frame->setNodeID(jointNodeID + "::" + owner->getNodeID() + "(AUTOGEN)");
  return frame;
}

std::string jointName(const boost::shared_ptr<ZoltBase>& base, const boost::shared_ptr<ZoltBase>& follower) {
  if (!base || !follower) throw std::invalid_argument("joint base and follower must be given");
  return nameOf(base) + "--" + nameOf(follower);
}

}  // namespace

Joint::Joint(const boost::shared_ptr<ZoltModel>& model, const boost::shared_ptr<ZoltBase>& base,
             const boost::shared_ptr<ZoltBase>& follower, const double* basePosition,
             const double* followerPosition, KalotLengthUnit unit, std::string nodeID)
    : ZoltBase(jointName(base, follower)), type(KALOT_JOINT_SIMPLE) {
  if (!model) throw std::invalid_argument("joint needs a model for its frame ids");
  if (!basePosition || !followerPosition) throw std::invalid_argument("joint positions must be given");
  checkSide(base, "base");
  checkSide(follower, "follower");

  // Base first, then follower: this order fixes the frame ids and automatic names.
  boost::shared_ptr<Frame> baseFrameObj = connectionFrame(*model, base, unit, nodeID);
  boost::shared_ptr<Frame> followerFrameObj = connectionFrame(*model, follower, unit, nodeID);
  baseFrameObj->setPosition(basePosition);
  followerFrameObj->setPosition(followerPosition);
  baseFrame = boost::make_shared<FrameRef>(baseFrameObj);
  followerFrame = boost::make_shared<FrameRef>(followerFrameObj);
  setNodeID(std::move(nodeID));
}

std::unique_ptr<Joint> Joint::zoltCreateWeldJoint(const boost::shared_ptr<ZoltModel>& model,
                                                  const boost::shared_ptr<ZoltBase>& base,
                                                  const boost::shared_ptr<ZoltBase>& follower,
                                                  const double* basePosition, const double* followerPosition,
                                                  KalotLengthUnit unit, std::string nodeID) {
  // From the ground to a body the body's point is the meaningful one.
  const bool groundToBody =
      !boost::dynamic_pointer_cast<Body>(base) && boost::dynamic_pointer_cast<Body>(follower);
  const double* at = groundToBody ? followerPosition : basePosition;
  std::unique_ptr<Joint> joint(new Joint(model, base, follower, at, at, unit, std::move(nodeID)));
  joint->addPrimitive(KALOT_PRIM_WELD, zoltNullAxis, kWorld);
  joint->setType(KALOT_JOINT_WELD);
  return joint;
}

std::unique_ptr<Joint> Joint::zoltCreateSixDOFJoint(const boost::shared_ptr<ZoltModel>& model,
                                                    const boost::shared_ptr<ZoltBase>& base,
                                                    const boost::shared_ptr<ZoltBase>& follower,
                                                    const double* basePosition,
                                                    const double* followerPosition, KalotLengthUnit unit,
                                                    std::string nodeID) {
  std::unique_ptr<Joint> joint(
      new Joint(model, base, follower, basePosition, followerPosition, unit, std::move(nodeID)));
  static const double kAxes[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  for (const double* axis : kAxes) joint->addPrimitive(KALOT_PRIM_PRISMATIC, axis, kWorld);
  joint->addPrimitive(KALOT_PRIM_SPHERICAL, zoltNullAxis, kWorld);
  return joint;
}

void Joint::addMassLessConnectorPrims(KalotJointType connector, const double* axis1,
                                      const std::string& refFrame1, const double* axis2,
                                      const std::string& refFrame2) {
  KalotPrimType first = KALOT_PRIM_REVOLUTE;
  KalotPrimType second = KALOT_PRIM_REVOLUTE;
  switch (connector) {
    case KALOT_JOINT_MASSLESS_CONNECTOR_RS:
      second = KALOT_PRIM_SPHERICAL;
      break;
    case KALOT_JOINT_MASSLESS_CONNECTOR_SS:
      first = KALOT_PRIM_SPHERICAL;
      second = KALOT_PRIM_SPHERICAL;
      break;
    case KALOT_JOINT_MASSLESS_CONNECTOR_PS:
      first = KALOT_PRIM_PRISMATIC;
      second = KALOT_PRIM_SPHERICAL;
      break;
    default:
      break;
  }
  addPrimitive(first, axis1, refFrame1);
  addPrimitive(second, axis2, refFrame2);
  // The connector kind lives in the primitives only.
  setType(KALOT_JOINT_MASSLESS_CONNECTOR);
}

}  // namespace kalo_toolkit
