// Host objects as holders: several host objects of one model object, the
// class an object is returned with, and releasing the model.

#include <gtest/gtest.h>

#include <boost/weak_ptr.hpp>

#include "sample_model.hpp"

namespace kalo_qli_test {
namespace {

const std::string kBody = "kaloimport.Body";
const std::string kFrame = "kaloimport.Frame";
const std::string kSubsystem = "kaloimport.Subsystem";
const std::string kSample = std::string(KALO_TEST_DATA_DIR) + "/multibody/sample_model.xml";

size_t liveObjects() { return qcos::Host::instance().liveInstanceCount(); }

TEST(QliObjectLifetime, TwoHostObjectsShareOneFrame) {
  const Value body = makeBody("A", 1.0);
  call(kBody, "addLink", {body, call1(kFrame, "Frame", {text(""), int32_t{0}, text("m")})});
  const Value first = call1(kBody, "getLinkAt", {body, int32_t{0}});
  const Value second = call1(kBody, "getLinkAt", {body, int32_t{0}});
  EXPECT_NE(qcos::objectOf(first), qcos::objectOf(second)) << "two distinct host objects";
  EXPECT_EQ(heldObject(first), heldObject(second));

  call(kFrame, "setPosition", {first, row(1, 2, 3)});
  EXPECT_EQ(doublesOf(call1(kFrame, "getPosition", {second})), (std::vector<double>{1, 2, 3}));
  call("kaloimport.ZoltBase", "setName", {second, text("Renamed")});
  EXPECT_EQ(textOf(call1("kaloimport.ZoltBase", "getName", {first})), "Renamed");
}

TEST(QliObjectLifetime, DestroyingEveryHostObjectReleasesTheModel) {
  const size_t before = liveObjects();
  boost::weak_ptr<kalo_toolkit::ZoltBase> model, body, frame;
  {
    const std::vector<Value> results =
        call("kaloimport.ZoltModel", "readFromXML", {text(kSample), int32_t{2}});
    ASSERT_EQ(textOf(results[1]), "");
    const Value top = call1("kaloimport.ZoltModel", "getTopSubsystem", {results[0]});
    outline(top);  // walks every object once
    const Value b = call1("kaloimport.BodyRef", "getBody", {call1(kSubsystem, "getBodyRefAt", {top, 0u})});
    const Value f = call1(kBody, "getLinkAt", {b, int32_t{0}});
    model = heldObject(results[0]);
    body = heldObject(b);
    frame = heldObject(f);
    ASSERT_FALSE(model.expired());
    EXPECT_GT(liveObjects(), before);
  }
  EXPECT_TRUE(model.expired());
  EXPECT_TRUE(body.expired());
  EXPECT_TRUE(frame.expired());
  EXPECT_EQ(liveObjects(), before);
}

TEST(QliObjectLifetime, ParentIsAlwaysAZoltBaseAndDynamiccastConverts) {
  const std::vector<Value> read = call("kaloimport.ZoltModel", "readFromXML", {text(kSample), int32_t{0}});
  const Value top = call1("kaloimport.ZoltModel", "getTopSubsystem", {read[0]});
  const Value flex =
      call1("kaloimport.SubsystemRef", "getSubsystem", {call1(kSubsystem, "getSubsystemRefAt", {top, 0u})});
  const Value link = call1("kaloimport.BodyRef", "getBody", {call1(kSubsystem, "getBodyRefAt", {flex, 0u})});
  const boost::weak_ptr<kalo_toolkit::ZoltBase> flexModel = heldObject(flex);
  {
    const Value parent = call1("kaloimport.ZoltBase", "getParent", {link});
    EXPECT_EQ(classNameOf(parent), "kaloimport.ZoltBase");
    EXPECT_EQ(heldObject(parent), heldObject(flex));
    EXPECT_THROW(qcos::Host::instance().call(kSubsystem, "getBodyRefCount", {parent}), qcos::Error);

    const Value cast = call1(kSubsystem, "dynamiccast", {parent});
    EXPECT_EQ(classNameOf(cast), "kaloimport.Subsystem");
    EXPECT_EQ(int32Of(call1(kSubsystem, "getBodyRefCount", {cast})), 1);
    EXPECT_TRUE(isEmpty(call1(kSubsystem, "dynamiccast", {link})));
  }
  // Both host objects are gone; the model they came from is intact.
  EXPECT_FALSE(flexModel.expired());
  EXPECT_EQ(int32Of(call1(kSubsystem, "getBodyRefCount", {flex})), 1);

  // An object without a parent answers with an empty ZoltBase; setParent links and clears.
  const Value loose = call1("kaloimport.ZoltBase", "ZoltBase", {text("loose")});
  EXPECT_TRUE(isEmpty(call1("kaloimport.ZoltBase", "getParent", {loose})));
  call("kaloimport.ZoltBase", "setParent", {loose, top});
  EXPECT_EQ(heldObject(call1("kaloimport.ZoltBase", "getParent", {loose})), heldObject(top));
  call("kaloimport.ZoltBase", "setParent", {loose, call1(kBody, "getCGFrame", {link})});
  EXPECT_TRUE(isEmpty(call1("kaloimport.ZoltBase", "getParent", {loose})));
}

TEST(QliObjectLifetime, DispatchOnTheFirstArgumentFindsInheritedMethods) {
  const Value body = makeBody("Dispatched", 1.0);
  const qcos::CallResult result = qcos::Host::instance().dispatch("getName", {body});
  EXPECT_EQ(textOf(result.results.at(0)), "Dispatched");
  EXPECT_EQ(result.method, qcos::Host::instance().methods("kaloimport.ZoltBase")[4].info);
}

}  // namespace
}  // namespace kalo_qli_test
