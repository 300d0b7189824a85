// Calls that would make the model use a missing value are refused with a host
// error naming the method and the argument, and leave the model unchanged.

#include <functional>

#include <gtest/gtest.h>

#include "sample_model.hpp"

namespace kalo_qli_test {
namespace {

const std::string kBody = "kaloimport.Body";
const std::string kFrame = "kaloimport.Frame";

qcos::Host& host() { return qcos::Host::instance(); }

/// The method object registered at a position of a class.
const qcos::MethodInfo& method(const std::string& cls, size_t index) {
  return *host().methods(cls).at(index).info;
}

/// Runs the call and returns the host error's message; fails when nothing or
/// another error is thrown.
std::string refusal(const std::function<void()>& run,
                    const std::string& identifier = "kaloimport:invalidArgument") {
  try {
    run();
  } catch (const qcos::Error& e) {
    EXPECT_EQ(e.identifier(), identifier) << e.what();
    return e.what();
  }
  ADD_FAILURE() << "the call was accepted";
  return "";
}

std::string refusal(const std::string& cls, const std::string& name, const std::vector<Value>& args) {
  return refusal([&] { host().call(cls, name, args); });
}

class QliRejection : public ::testing::Test {
 protected:
  void SetUp() override {
    before_ = host().liveInstanceCount();
    body_ = makeBody("A", 1.0);
    frame_ = call1(kFrame, "Frame", {text("F"), int32_t{0}, text("m")});
    call(kFrame, "setPosition", {frame_, column(1, 2, 3)});
    empty_ = call1(kBody, "getCGFrame", {body_});
  }
  void TearDown() override {
    body_ = frame_ = empty_ = Value();
    EXPECT_EQ(host().liveInstanceCount(), before_) << "every refused call released what it made";
  }

  size_t before_ = 0;
  Value body_, frame_, empty_;
};

TEST_F(QliRejection, EmptyObjects) {
  EXPECT_EQ(refusal(kFrame, "getID", {empty_}),
            "kaloimport.Frame.getID: argument 1 (kaloimport.Frame) is an empty object");
  EXPECT_EQ(refusal("kaloimport.ZoltBase", "getName", {empty_}),
            "kaloimport.ZoltBase.getName: argument 1 (kaloimport.ZoltBase) is an empty object");
  EXPECT_EQ(refusal(kBody, "addLink", {body_, empty_}),
            "kaloimport.Body.addLink: argument 2 (kaloimport.Frame) is an empty object");
  EXPECT_EQ(int32Of(call1(kBody, "getLinkCount", {body_})), 0);
  // A constructor refused half-way leaves no object behind (checked in TearDown).
  EXPECT_NE(refusal("kaloimport.Ground", "Ground", {text("G"), empty_}).find("argument 2"),
            std::string::npos);
}

TEST_F(QliRejection, VectorsMustHoldExactlyThreeDoubles) {
  const std::string expected =
      "kaloimport.Frame.setPosition: argument 2 (double vector) must hold exactly 3 doubles, as 3x1 or 1x3";
  for (const Value& wrong : {qcos::makeDoubles(2, 1, {7, 7}), qcos::makeDoubles(2, 2, {7, 7, 7, 7}),
                             identity(), qcos::makeDoubles(0, 0, {})}) {
    EXPECT_EQ(refusal(kFrame, "setPosition", {frame_, wrong}), expected);
  }
  EXPECT_EQ(doublesOf(call1(kFrame, "getPosition", {frame_})), (std::vector<double>{1, 2, 3}));
}

TEST_F(QliRejection, MatricesMustBeThreeByThree) {
  const std::string expected =
      "kaloimport.Frame.setOrientation: argument 2 (double matrix) must be a 3x3 double matrix";
  EXPECT_EQ(refusal(kFrame, "setOrientation", {frame_, column(1, 0, 0)}), expected);
  EXPECT_EQ(refusal(kFrame, "setOrientation", {frame_, qcos::makeDoubles(1, 9, {1, 0, 0, 0, 1, 0, 0, 0, 1})}),
            expected);
  EXPECT_NE(refusal(kBody, "Body",
                    {text("B"), 1.0, text("kg"), column(1, 2, 3), text("kg*m^2"), 1.0, text("m^3"), 1.0,
                     text("m^2"), text("")})
                .find("kaloimport.Body.Body: argument 4"),
            std::string::npos);
}

TEST_F(QliRejection, ArgumentsOfTheWrongClass) {
  // The host itself matches kinds, so these are run directly, as a front-end
  // that resolved the overload on its own might.
  EXPECT_EQ(refusal([&] { host().callUnchecked(kBody, method(kBody, 1), {frame_}); }),
            "kaloimport.Body.getMass: argument 1 (kaloimport.Body) holds an object of another class");
  EXPECT_EQ(
      refusal([&] { host().callUnchecked(kBody, method(kBody, 1), {text("A")}); }),
      "kaloimport.Body.getMass: argument 1 (kaloimport.Body) must be an object of this package, not a char");
  EXPECT_EQ(refusal([&] {
              host().callUnchecked(kFrame, method(kFrame, 7), {frame_, column(1, 2, 3)});
            }),
            "kaloimport.Frame.setPositionUnits: argument 2 (char vector) must be a text, not a double");
  EXPECT_EQ(
      refusal([&] {
        host().callUnchecked(kFrame, method(kFrame, 5), {frame_, text("abc")});
      }),
      "kaloimport.Frame.setPosition: argument 2 (double vector) must hold exactly 3 doubles, as 3x1 or 1x3");
  EXPECT_EQ(refusal([&] { host().callUnchecked(kBody, method(kBody, 1), {qcos::Array()}); }),
            "kaloimport.Body.getMass: argument 1 (kaloimport.Body) is missing");

  // A number where an object array belongs never reaches the method either, nor
  // does a call through the host's own matching.
  refusal([&] { host().callUnchecked(kBody, method(kBody, 1), {1.5}); }, "qcos:wrongArgumentForm");
  refusal([&] { host().call(kBody, "getMass", {frame_}); }, "qcos:noMatchingSignature");
}

TEST_F(QliRejection, SubsystemPlacedInsideItself) {
  const std::string kSubsystem = "kaloimport.Subsystem", kRef = "kaloimport.SubsystemRef";
  Value outer = call1(kSubsystem, "Subsystem", {text("outer")});
  Value inner = call1(kSubsystem, "Subsystem", {text("inner")});
  call(kSubsystem, "addSubsystemRef", {outer, call1(kRef, "SubsystemRef", {text("r"), inner})});
  // Directly, and through a child: either would make a cycle.
  EXPECT_EQ(
      refusal(kSubsystem, "addSubsystemRef", {outer, call1(kRef, "SubsystemRef", {text("self"), outer})}),
      "kaloimport.Subsystem.addSubsystemRef: argument 2 (kaloimport.SubsystemRef) would place the "
      "subsystem inside itself");
  EXPECT_NE(refusal(kSubsystem, "addSubsystemRef", {inner, call1(kRef, "SubsystemRef", {text("up"), outer})})
                .find("inside itself"),
            std::string::npos);
  EXPECT_EQ(int32Of(call1(kSubsystem, "getSubsystemRefCount", {inner})), 0);
  // The same subsystem placed twice side by side is no cycle.
  call(kSubsystem, "addSubsystemRef", {outer, call1(kRef, "SubsystemRef", {text("r2"), inner})});
  EXPECT_EQ(int32Of(call1(kSubsystem, "getSubsystemRefCount", {outer})), 2);
}

}  // namespace
}  // namespace kalo_qli_test
