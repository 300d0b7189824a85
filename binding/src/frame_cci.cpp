// "kaloimport.Frame": position and orientation of a frame with their units.

#include "method_support.hpp"

namespace kalo_toolkit_qli {
namespace {

using kalo_toolkit::Frame;
namespace util = kalo_toolkit::util;

class FrameFrameCMI0 final : public KalomCMI {
 public:
  FrameFrameCMI0()
      : KalomCMI("Frame",
                 {{kText, "name"},
                  {kInt32, "id"},
                  {kVector, "position"},
                  {kText, "position_units"},
                  {kText, "position_ref_frame"},
                  {kMatrix, "orientation"},
                  {kText, "orientation_units"},
                  {kText, "orientation_type"},
                  {kText, "orientation_ref_frame"}},
                 {kFrame}) {}
  void invoke(MethodCall& c) const override {
    const std::string name = c.text(0);
    const int id = c.int32(1);
    const auto position = c.vector(2);
    const auto positionUnits = util::fromStrToLengthUnit(c.text(3));
    const std::string posRefFrame = c.text(4);
    const auto orientation = c.matrix(5);
    const auto orientationUnits = util::fromStrToAngleUnit(c.text(6));
    const auto orientationType = util::fromStrToRotType(c.text(7));
    const std::string orientationRefFrame = c.text(8);
    c.construct(boost::make_shared<Frame>(name, id, position.data(), positionUnits, posRefFrame,
                                          orientation.data(), orientationUnits, orientationType,
                                          orientationRefFrame));
  }
};

class FrameFrameCMI1 final : public KalomCMI {
 public:
  FrameFrameCMI1()
      : KalomCMI("Frame", {{kText, "name"}, {kInt32, "id"}, {kText, "position_units"}}, {kFrame}) {}
  void invoke(MethodCall& c) const override {
    const std::string name = c.text(0);
    const int id = c.int32(1);
    c.construct(boost::make_shared<Frame>(name, id, util::fromStrToLengthUnit(c.text(2))));
  }
};

class FrameGetIDCMI0 final : public KalomCMI {
 public:
  FrameGetIDCMI0() : KalomCMI("getID", {kFrame}, {kInt32}) {}
  void invoke(MethodCall& c) const override { c.setInt32(0, c.object<Frame>(0)->getID()); }
};

class FrameGetPositionCMI0 final : public KalomCMI {
 public:
  FrameGetPositionCMI0() : KalomCMI("getPosition", {kFrame}, {kVector}) {}
  void invoke(MethodCall& c) const override { c.setVector(0, c.object<Frame>(0)->getPosition()); }
};

class FrameGetPositionStringCMI0 final : public KalomCMI {
 public:
  FrameGetPositionStringCMI0() : KalomCMI("getPositionString", {kFrame}, {kText}) {}
  void invoke(MethodCall& c) const override {
    c.setText(0, bracketedNumbers(c.object<Frame>(0)->getPosition(), 3));
  }
};

class FrameSetPositionCMI0 final : public KalomCMI {
 public:
  FrameSetPositionCMI0() : KalomCMI("setPosition", {kFrame, {kVector, "position"}}, {}) {}
  void invoke(MethodCall& c) const override {
    const auto frame = c.object<Frame>(0);
    frame->setPosition(c.vector(1).data());
  }
};

class FrameGetPositionUnitsCMI0 final : public KalomCMI {
 public:
  FrameGetPositionUnitsCMI0() : KalomCMI("getPositionUnits", {kFrame}, {kText}) {}
  void invoke(MethodCall& c) const override {
    c.setText(0, util::fromLengthUnitToStr(c.object<Frame>(0)->getPositionUnits()));
  }
};

class FrameSetPositionUnitsCMI0 final : public KalomCMI {
 public:
  FrameSetPositionUnitsCMI0() : KalomCMI("setPositionUnits", {kFrame, {kText, "units"}}, {}) {}
  void invoke(MethodCall& c) const override {
    const auto frame = c.object<Frame>(0);
    frame->setPositionUnits(util::fromStrToLengthUnit(c.text(1)));
  }
};

class FrameGetPosRefFrameCMI0 final : public KalomCMI {
 public:
  FrameGetPosRefFrameCMI0() : KalomCMI("getPosRefFrame", {kFrame}, {kText}) {}
  void invoke(MethodCall& c) const override { c.setText(0, c.object<Frame>(0)->getPosRefFrame()); }
};

class FrameSetPosRefFrameCMI0 final : public KalomCMI {
 public:
  FrameSetPosRefFrameCMI0() : KalomCMI("setPosRefFrame", {kFrame, {kText, "ref_frame"}}, {}) {}
  void invoke(MethodCall& c) const override {
    const auto frame = c.object<Frame>(0);
    frame->setPosRefFrame(c.text(1));
  }
};

class FrameGetOrientationCMI0 final : public KalomCMI {
 public:
  FrameGetOrientationCMI0() : KalomCMI("getOrientation", {kFrame}, {kMatrix}) {}
  void invoke(MethodCall& c) const override { c.setMatrix(0, c.object<Frame>(0)->getOrientation()); }
};

class FrameGetOrientationStringCMI0 final : public KalomCMI {
 public:
  FrameGetOrientationStringCMI0() : KalomCMI("getOrientationString", {kFrame}, {kText}) {}
  void invoke(MethodCall& c) const override {
    std::string text;
    util::to_string(text, c.object<Frame>(0)->getOrientation(), 3, 3);
    c.setText(0, text);
  }
};

class FrameSetOrientationCMI0 final : public KalomCMI {
 public:
  FrameSetOrientationCMI0() : KalomCMI("setOrientation", {kFrame, {kMatrix, "orientation"}}, {}) {}
  void invoke(MethodCall& c) const override {
    const auto frame = c.object<Frame>(0);
    frame->setOrientation(c.matrix(1).data());
  }
};

class FrameGetOrientationUnitsCMI0 final : public KalomCMI {
 public:
  FrameGetOrientationUnitsCMI0() : KalomCMI("getOrientationUnits", {kFrame}, {kText}) {}
  void invoke(MethodCall& c) const override {
    c.setText(0, util::fromAngleUnitToStr(c.object<Frame>(0)->getOrientationUnits()));
  }
};

class FrameSetOrientationUnitsCMI0 final : public KalomCMI {
 public:
  FrameSetOrientationUnitsCMI0() : KalomCMI("setOrientationUnits", {kFrame, {kText, "units"}}, {}) {}
  void invoke(MethodCall& c) const override {
    const auto frame = c.object<Frame>(0);
    frame->setOrientationUnits(util::fromStrToAngleUnit(c.text(1)));
  }
};

class FrameGetOrientationTypeCMI0 final : public KalomCMI {
 public:
  FrameGetOrientationTypeCMI0() : KalomCMI("getOrientationType", {kFrame}, {kText}) {}
  void invoke(MethodCall& c) const override {
    c.setText(0, util::fromRotTypeToStr(c.object<Frame>(0)->getOrientationType()));
  }
};

class FrameSetOrientationTypeCMI0 final : public KalomCMI {
 public:
  FrameSetOrientationTypeCMI0() : KalomCMI("setOrientationType", {kFrame, {kText, "type"}}, {}) {}
  void invoke(MethodCall& c) const override {
    const auto frame = c.object<Frame>(0);
    frame->setOrientationType(util::fromStrToRotType(c.text(1)));
  }
};

class FrameGetOrientationRefFrameCMI0 final : public KalomCMI {
 public:
  FrameGetOrientationRefFrameCMI0() : KalomCMI("getOrientationRefFrame", {kFrame}, {kText}) {}
  void invoke(MethodCall& c) const override { c.setText(0, c.object<Frame>(0)->getOrientationRefFrame()); }
};

class FrameSetOrientationRefFrameCMI0 final : public KalomCMI {
 public:
  FrameSetOrientationRefFrameCMI0()
      : KalomCMI("setOrientationRefFrame", {kFrame, {kText, "ref_frame"}}, {}) {}
  void invoke(MethodCall& c) const override {
    const auto frame = c.object<Frame>(0);
    frame->setOrientationRefFrame(c.text(1));
  }
};

class FrameSetAutoNameCMI0 final : public KalomCMI {
 public:
  FrameSetAutoNameCMI0() : KalomCMI("setAutoName", {kFrame, {kUInt32, "n"}}, {}) {}
  void invoke(MethodCall& c) const override { c.object<Frame>(0)->setAutoName(c.uint32(1)); }
};

class FrameCCI final : public KalomCCI {
 public:
  FrameCCI() : KalomCCI("Frame") {
    add(new FrameFrameCMI0());
    add(new FrameFrameCMI1());
    add(new FrameGetIDCMI0());
    add(new FrameGetPositionCMI0());
    add(new FrameGetPositionStringCMI0());
    add(new FrameSetPositionCMI0());
    add(new FrameGetPositionUnitsCMI0());
    add(new FrameSetPositionUnitsCMI0());
    add(new FrameGetPosRefFrameCMI0());
    add(new FrameSetPosRefFrameCMI0());
    add(new FrameGetOrientationCMI0());
    add(new FrameGetOrientationStringCMI0());
    add(new FrameSetOrientationCMI0());
    add(new FrameGetOrientationUnitsCMI0());
    add(new FrameSetOrientationUnitsCMI0());
    add(new FrameGetOrientationTypeCMI0());
    add(new FrameSetOrientationTypeCMI0());
    add(new FrameGetOrientationRefFrameCMI0());
    add(new FrameSetOrientationRefFrameCMI0());
    add(new FrameSetAutoNameCMI0());
  }
};

}  // namespace

KalomCCI* create_framecci() { return new FrameCCI(); }

}  // namespace kalo_toolkit_qli
