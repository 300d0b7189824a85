// "kaloimport.Primitive": one axis of a joint.

#include "method_support.hpp"

namespace kalo_toolkit_qli {
namespace {

using kalo_toolkit::Primitive;
namespace util = kalo_toolkit::util;

class PrimitivePrimitiveCMI0 final : public KalomCMI {
 public:
  PrimitivePrimitiveCMI0()
      : KalomCMI("Primitive", {{kText, "type"}, {kVector, "axis"}, {kText, "ref_frame"}}, {kPrimitive}, 0) {}
  void invoke(MethodCall& c) const override {
    const auto type = util::fromStrToPrimType(c.text(0));
    const auto axis = c.vector(1);
    c.construct(boost::make_shared<Primitive>(type, axis.data(), c.text(2)));
  }
};

class PrimitivePrimitiveCMI1 final : public KalomCMI {
 public:
  PrimitivePrimitiveCMI1() : KalomCMI("Primitive", {{kText, "type"}}, {kPrimitive}, 0) {}
  void invoke(MethodCall& c) const override {
    c.construct(boost::make_shared<Primitive>(util::fromStrToPrimType(c.text(0))));
  }
};

class PrimitiveGetAxisCMI0 final : public KalomCMI {
 public:
  PrimitiveGetAxisCMI0() : KalomCMI("getAxis", {kPrimitive}, {kVector}) {}
  void invoke(MethodCall& c) const override { c.setVector(0, c.object<Primitive>(0)->getAxis()); }
};

class PrimitiveGetAxisStringCMI0 final : public KalomCMI {
 public:
  PrimitiveGetAxisStringCMI0() : KalomCMI("getAxisString", {kPrimitive}, {kText}) {}
  void invoke(MethodCall& c) const override {
    c.setText(0, bracketedNumbers(c.object<Primitive>(0)->getAxis(), 3));
  }
};

class PrimitiveSetAxisCMI0 final : public KalomCMI {
 public:
  PrimitiveSetAxisCMI0() : KalomCMI("setAxis", {kPrimitive, {kVector, "axis"}}, {}) {}
  void invoke(MethodCall& c) const override {
    const auto primitive = c.object<Primitive>(0);
    primitive->setAxis(c.vector(1).data());
  }
};

class PrimitiveGetRefFrameCMI0 final : public KalomCMI {
 public:
  PrimitiveGetRefFrameCMI0() : KalomCMI("getRefFrame", {kPrimitive}, {kText}) {}
  void invoke(MethodCall& c) const override { c.setText(0, c.object<Primitive>(0)->getRefFrame()); }
};

class PrimitiveSetRefFrameCMI0 final : public KalomCMI {
 public:
  PrimitiveSetRefFrameCMI0() : KalomCMI("setRefFrame", {kPrimitive, {kText, "ref_frame"}}, {}) {}
  void invoke(MethodCall& c) const override {
    const auto primitive = c.object<Primitive>(0);
    primitive->setRefFrame(c.text(1));
  }
};

class PrimitiveGetTypeCMI0 final : public KalomCMI {
 public:
  PrimitiveGetTypeCMI0() : KalomCMI("getType", {kPrimitive}, {kText}) {}
  void invoke(MethodCall& c) const override {
    c.setText(0, util::fromPrimTypeToStr(c.object<Primitive>(0)->getType()));
  }
};

class PrimitiveCCI final : public KalomCCI {
 public:
  PrimitiveCCI() : KalomCCI("Primitive") {
    add(new PrimitivePrimitiveCMI0());
    add(new PrimitivePrimitiveCMI1());
    add(new PrimitiveGetAxisCMI0());
    add(new PrimitiveGetAxisStringCMI0());
    add(new PrimitiveSetAxisCMI0());
    add(new PrimitiveGetRefFrameCMI0());
    add(new PrimitiveSetRefFrameCMI0());
    add(new PrimitiveGetTypeCMI0());
  }
};

}  // namespace

KalomCCI* create_primitivecci() { return new PrimitiveCCI(); }

}  // namespace kalo_toolkit_qli
