// "kaloimport.Ground": a ground with its one frame.

#include "method_support.hpp"

namespace kalo_toolkit_qli {
namespace {

using kalo_toolkit::Frame;
using kalo_toolkit::Ground;

class GroundGroundCMI0 final : public KalomCMI {
 public:
  GroundGroundCMI0() : KalomCMI("Ground", {{kText, "name"}, {kFrame, "frame"}}, {kGround}, 0) {}
  void invoke(MethodCall& c) const override {
    const std::string name = c.text(0);
    c.construct(boost::make_shared<Ground>(name, c.object<Frame>(1)));
  }
};

class GroundGetFrameCMI0 final : public KalomCMI {
 public:
  GroundGetFrameCMI0() : KalomCMI("getFrame", {kGround}, {kFrame}) {}
  void invoke(MethodCall& c) const override { c.setObject(0, c.object<Ground>(0)->getFrame()); }
};

class GroundCCI final : public KalomCCI {
 public:
  GroundCCI() : KalomCCI("Ground") {
    add(new GroundGroundCMI0());
    add(new GroundGetFrameCMI0());
  }
};

}  // namespace

KalomCCI* create_groundcci() { return new GroundCCI(); }

}  // namespace kalo_toolkit_qli
