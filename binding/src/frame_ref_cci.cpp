// "kaloimport.FrameRef": a reference to a frame (joint side or port).

#include "method_support.hpp"

namespace kalo_toolkit_qli {
namespace {

using kalo_toolkit::Frame;
using kalo_toolkit::FrameRef;

class FrameRefFrameRefCMI0 final : public KalomCMI {
 public:
  FrameRefFrameRefCMI0() : KalomCMI("FrameRef", {{kFrame, "frame"}}, {kFrameRef}) {}
  void invoke(MethodCall& c) const override {
    // A reference without a frame is a valid model state.
    c.construct(boost::make_shared<FrameRef>(c.objectOrEmpty<Frame>(0)));
  }
};

class FrameRefGetFrameCMI0 final : public KalomCMI {
 public:
  FrameRefGetFrameCMI0() : KalomCMI("getFrame", {kFrameRef}, {kFrame}) {}
  void invoke(MethodCall& c) const override { c.setObject(0, c.object<FrameRef>(0)->getFrame()); }
};

class FrameRefSetFrameCMI0 final : public KalomCMI {
 public:
  FrameRefSetFrameCMI0() : KalomCMI("setFrame", {kFrameRef, {kFrame, "frame"}}, {}) {}
  void invoke(MethodCall& c) const override {
    const auto ref = c.object<FrameRef>(0);
    ref->setFrame(c.objectOrEmpty<Frame>(1));
  }
};

class FrameRefCCI final : public KalomCCI {
 public:
  FrameRefCCI() : KalomCCI("FrameRef") {
    add(new FrameRefFrameRefCMI0());
    add(new FrameRefGetFrameCMI0());
    add(new FrameRefSetFrameCMI0());
  }
};

}  // namespace

KalomCCI* create_framerefcci() { return new FrameRefCCI(); }

}  // namespace kalo_toolkit_qli
