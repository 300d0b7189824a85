// "kaloimport.Joint": joints, their construction and their primitives.

#include <memory>

#include "method_support.hpp"

namespace kalo_toolkit_qli {
namespace {

using kalo_toolkit::Joint;
using kalo_toolkit::Primitive;
using kalo_toolkit::ZoltBase;
using kalo_toolkit::ZoltModel;
namespace util = kalo_toolkit::util;

/// The seven arguments shared by the joint constructor and the two factories.
std::vector<Argument> jointArguments() {
  return {{kZoltModel, "model"},
          {kZoltBase, "base"},
          {kZoltBase, "follower"},
          {kVector, "base_position"},
          {kVector, "follower_position"},
          {kText, "length_units"},
          {kText, "node_id"}};
}

struct JointBuildArguments {
  explicit JointBuildArguments(const MethodCall& c)
      : model(c.object<ZoltModel>(0)),
        base(c.object<ZoltBase>(1)),
        follower(c.object<ZoltBase>(2)),
        basePosition(c.vector(3)),
        followerPosition(c.vector(4)),
        unit(util::fromStrToLengthUnit(c.text(5))),
        nodeID(c.text(6)) {}

  boost::shared_ptr<ZoltModel> model;
  boost::shared_ptr<ZoltBase> base;
  boost::shared_ptr<ZoltBase> follower;
  std::array<double, 3> basePosition;
  std::array<double, 3> followerPosition;
  KalotLengthUnit unit;
  std::string nodeID;
};

class JointJointCMI0 final : public KalomCMI {
 public:
  JointJointCMI0() : KalomCMI("Joint", jointArguments(), {kJoint}) {}
  void invoke(MethodCall& c) const override {
    const JointBuildArguments a(c);
    c.construct(boost::make_shared<Joint>(a.model, a.base, a.follower, a.basePosition.data(),
                                          a.followerPosition.data(), a.unit, a.nodeID));
  }
};

class JointZoltCreateWeldJointCMI0 final : public KalomCMI {
 public:
  JointZoltCreateWeldJointCMI0() : KalomCMI("zoltCreateWeldJoint", jointArguments(), {kJoint}) {}
  void invoke(MethodCall& c) const override {
    const JointBuildArguments a(c);
    boost::shared_ptr<Joint> joint(Joint::zoltCreateWeldJoint(
        a.model, a.base, a.follower, a.basePosition.data(), a.followerPosition.data(), a.unit, a.nodeID));
    c.setObject(0, joint);
  }
};

class JointZoltCreateSixDOFJointCMI0 final : public KalomCMI {
 public:
  JointZoltCreateSixDOFJointCMI0() : KalomCMI("zoltCreateSixDOFJoint", jointArguments(), {kJoint}) {}
  void invoke(MethodCall& c) const override {
    const JointBuildArguments a(c);
    boost::shared_ptr<Joint> joint(Joint::zoltCreateSixDOFJoint(
        a.model, a.base, a.follower, a.basePosition.data(), a.followerPosition.data(), a.unit, a.nodeID));
    c.setObject(0, joint);
  }
};

class JointAddPrimitiveCMI0 final : public KalomCMI {
 public:
  JointAddPrimitiveCMI0() : KalomCMI("addPrimitive", {kJoint, {kPrimitive, "primitive"}}, {}) {}
  void invoke(MethodCall& c) const override {
    const auto joint = c.object<Joint>(0);
    joint->addPrimitive(c.object<Primitive>(1));
  }
};

class JointAddPrimitiveCMI1 final : public KalomCMI {
 public:
  JointAddPrimitiveCMI1()
      : KalomCMI("addPrimitive", {kJoint, {kText, "type"}, {kVector, "axis"}, {kText, "ref_frame"}}, {}) {}
  void invoke(MethodCall& c) const override {
    const auto joint = c.object<Joint>(0);
    const auto type = util::fromStrToPrimType(c.text(1));
    const auto axis = c.vector(2);
    joint->addPrimitive(type, axis.data(), c.text(3));
  }
};

class JointGetPrimitiveCountCMI0 final : public KalomCMI {
 public:
  JointGetPrimitiveCountCMI0() : KalomCMI("getPrimitiveCount", {kJoint}, {kInt32}) {}
  void invoke(MethodCall& c) const override { c.setCount(0, c.object<Joint>(0)->getPrimitiveCount()); }
};

class JointGetPrimitiveAtCMI0 final : public KalomCMI {
 public:
  JointGetPrimitiveAtCMI0() : KalomCMI("getPrimitiveAt", {kJoint, {kUInt32, "index"}}, {kPrimitive}) {}
  void invoke(MethodCall& c) const override {
    c.setObject(0, c.object<Joint>(0)->getPrimitiveAt(c.uint32(1)));
  }
};

class JointGetTypeCMI0 final : public KalomCMI {
 public:
  JointGetTypeCMI0() : KalomCMI("getType", {kJoint}, {kText}) {}
  void invoke(MethodCall& c) const override {
    c.setText(0, util::fromJointTypeToStr(c.object<Joint>(0)->getType()));
  }
};

class JointSetTypeCMI0 final : public KalomCMI {
 public:
  JointSetTypeCMI0() : KalomCMI("setType", {kJoint, {kText, "type"}}, {}) {}
  void invoke(MethodCall& c) const override {
    const auto joint = c.object<Joint>(0);
    joint->setType(util::fromStrToJointType(c.text(1)));
  }
};

class JointSetTypeCMI1 final : public KalomCMI {
 public:
  JointSetTypeCMI1() : KalomCMI("setType", {kJoint, {kText, "type"}}, {}) {}
  void invoke(MethodCall& c) const override {
    const auto joint = c.object<Joint>(0);
    joint->setType(c.text(1));
  }
};

class JointGetStatusCMI0 final : public KalomCMI {
 public:
  JointGetStatusCMI0() : KalomCMI("getStatus", {kJoint}, {kText}) {}
  void invoke(MethodCall& c) const override { c.setText(0, c.object<Joint>(0)->getStatus()); }
};

class JointSetStatusCMI0 final : public KalomCMI {
 public:
  JointSetStatusCMI0() : KalomCMI("setStatus", {kJoint, {kText, "status"}}, {}) {}
  void invoke(MethodCall& c) const override {
    const auto joint = c.object<Joint>(0);
    joint->setStatus(c.text(1));
  }
};

class JointGetTypeNameCMI0 final : public KalomCMI {
 public:
  JointGetTypeNameCMI0() : KalomCMI("getTypeName", {kJoint}, {kText}) {}
  void invoke(MethodCall& c) const override { c.setText(0, c.object<Joint>(0)->getTypeName()); }
};

class JointAddMassLessConnectorPrimsCMI0 final : public KalomCMI {
 public:
  JointAddMassLessConnectorPrimsCMI0()
      : KalomCMI("addMassLessConnectorPrims",
                 {kJoint,
                  {kText, "joint_type"},
                  {kVector, "first_axis"},
                  {kText, "first_ref_frame"},
                  {kVector, "second_axis"},
                  {kText, "second_ref_frame"}},
                 {}) {}
  void invoke(MethodCall& c) const override {
    const auto joint = c.object<Joint>(0);
    const auto connector = util::fromStrToJointType(c.text(1));
    const auto axis1 = c.vector(2);
    const std::string refFrame1 = c.text(3);
    const auto axis2 = c.vector(4);
    const std::string refFrame2 = c.text(5);
    joint->addMassLessConnectorPrims(connector, axis1.data(), refFrame1, axis2.data(), refFrame2);
  }
};

class JointGetBaseFrameCMI0 final : public KalomCMI {
 public:
  JointGetBaseFrameCMI0() : KalomCMI("getBaseFrame", {kJoint}, {kFrameRef}) {}
  void invoke(MethodCall& c) const override { c.setObject(0, c.object<Joint>(0)->getBaseFrame()); }
};

class JointGetFollowerFrameCMI0 final : public KalomCMI {
 public:
  JointGetFollowerFrameCMI0() : KalomCMI("getFollowerFrame", {kJoint}, {kFrameRef}) {}
  void invoke(MethodCall& c) const override { c.setObject(0, c.object<Joint>(0)->getFollowerFrame()); }
};

class JointCCI final : public KalomCCI {
 public:
  JointCCI() : KalomCCI("Joint") {
    add(new JointJointCMI0());
    add(new JointZoltCreateWeldJointCMI0());
    add(new JointZoltCreateSixDOFJointCMI0());
    add(new JointAddPrimitiveCMI0());
    add(new JointAddPrimitiveCMI1());
    add(new JointGetPrimitiveCountCMI0());
    add(new JointGetPrimitiveAtCMI0());
    add(new JointGetTypeCMI0());
    add(new JointSetTypeCMI0());
    add(new JointSetTypeCMI1());
    add(new JointGetStatusCMI0());
    add(new JointSetStatusCMI0());
    add(new JointGetTypeNameCMI0());
    add(new JointAddMassLessConnectorPrimsCMI0());
    add(new JointGetBaseFrameCMI0());
    add(new JointGetFollowerFrameCMI0());
  }
};

}  // namespace

KalomCCI* create_jointcci() { return new JointCCI(); }

}  // namespace kalo_toolkit_qli
