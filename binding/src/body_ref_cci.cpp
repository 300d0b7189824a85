// "kaloimport.BodyRef": a placed use of a body.

#include "method_support.hpp"

namespace kalo_toolkit_qli {
namespace {

using kalo_toolkit::Body;
using kalo_toolkit::BodyRef;

class BodyRefBodyRefCMI0 final : public KalomCMI {
 public:
  BodyRefBodyRefCMI0()
      : KalomCMI("BodyRef",
                 {{kText, "name"}, {kBody, "body"}, {kMatrix, "rotation"}, {kVector, "translation"}},
                 {kBodyRef}) {}
  void invoke(MethodCall& c) const override {
    const std::string name = c.text(0);
    const auto body = c.object<Body>(1);
    const auto rotation = c.matrix(2);
    const auto translation = c.vector(3);
    c.construct(boost::make_shared<BodyRef>(name, body, rotation.data(), translation.data(), 1.0));
  }
};

class BodyRefBodyRefCMI1 final : public KalomCMI {
 public:
  BodyRefBodyRefCMI1() : KalomCMI("BodyRef", {{kText, "name"}, {kBody, "body"}}, {kBodyRef}) {}
  void invoke(MethodCall& c) const override {
    const std::string name = c.text(0);
    c.construct(boost::make_shared<BodyRef>(name, c.object<Body>(1)));
  }
};

class BodyRefGetBodyCMI0 final : public KalomCMI {
 public:
  BodyRefGetBodyCMI0() : KalomCMI("getBody", {kBodyRef}, {kBody}) {}
  void invoke(MethodCall& c) const override { c.setObject(0, c.object<BodyRef>(0)->getBody()); }
};

class BodyRefCCI final : public KalomCCI {
 public:
  BodyRefCCI() : KalomCCI("BodyRef") {
    add(new BodyRefBodyRefCMI0());
    add(new BodyRefBodyRefCMI1());
    add(new BodyRefGetBodyCMI0());
  }
};

}  // namespace

KalomCCI* create_bodyrefcci() { return new BodyRefCCI(); }

}  // namespace kalo_toolkit_qli
