// "kaloimport.Body": mass properties, frames and colour of a rigid body.

#include "method_support.hpp"

namespace kalo_toolkit_qli {
namespace {

using kalo_toolkit::Body;
using kalo_toolkit::Frame;
namespace util = kalo_toolkit::util;

class BodyBodyCMI0 final : public KalomCMI {
 public:
  BodyBodyCMI0()
      : KalomCMI("Body",
                 {{kText, "name"},
                  {kReal, "mass"},
                  {kText, "mass_units"},
                  {kMatrix, "inertia"},
                  {kText, "inertia_units"},
                  {kReal, "volume"},
                  {kText, "volume_units"},
                  {kReal, "surface_area"},
                  {kText, "area_units"},
                  {kText, "file_name"}},
                 {kBody}) {}
  void invoke(MethodCall& c) const override {
    // Arguments are read in order, so a rejection names the first bad one.
    const std::string name = c.text(0);
    const double mass = c.real(1);
    const auto massUnits = util::fromStrToMassUnit(c.text(2));
    const auto inertia = c.matrix(3);
    const auto inertiaUnits = util::fromStrToInertiaUnit(c.text(4));
    const double volume = c.real(5);
    const auto volumeUnits = util::fromStrToVolUnit(c.text(6));
    const double sArea = c.real(7);
    const auto sAreaUnits = util::fromStrToSAreaUnit(c.text(8));
    const std::string fileName = c.text(9);
    c.construct(boost::make_shared<Body>(name, mass, massUnits, inertia.data(), inertiaUnits, volume,
                                         volumeUnits, sArea, sAreaUnits, fileName, nullptr));
  }
};

class BodyGetMassCMI0 final : public KalomCMI {
 public:
  BodyGetMassCMI0() : KalomCMI("getMass", {kBody}, {kReal}) {}
  void invoke(MethodCall& c) const override { c.setReal(0, c.object<Body>(0)->getMass()); }
};

class BodyGetMassStringCMI0 final : public KalomCMI {
 public:
  BodyGetMassStringCMI0() : KalomCMI("getMassString", {kBody}, {kText}) {}
  void invoke(MethodCall& c) const override {
    std::string text;
    util::to_string(text, c.object<Body>(0)->getMass());
    c.setText(0, text);
  }
};

class BodyGetMassUnitsCMI0 final : public KalomCMI {
 public:
  BodyGetMassUnitsCMI0() : KalomCMI("getMassUnits", {kBody}, {kText}) {}
  void invoke(MethodCall& c) const override {
    c.setText(0, util::fromMassUnitToStr(c.object<Body>(0)->getMassUnits()));
  }
};

class BodyGetInertiaCMI0 final : public KalomCMI {
 public:
  BodyGetInertiaCMI0() : KalomCMI("getInertia", {kBody}, {kMatrix}) {}
  void invoke(MethodCall& c) const override { c.setMatrix(0, c.object<Body>(0)->getInertia()); }
};

class BodyGetInertiaStringCMI0 final : public KalomCMI {
 public:
  BodyGetInertiaStringCMI0() : KalomCMI("getInertiaString", {kBody}, {kText}) {}
  void invoke(MethodCall& c) const override {
    std::string text;
    util::to_string(text, c.object<Body>(0)->getInertia(), 9);
    // Values 1-3 form the first row: the third and sixth commas end rows.
    int commas = 0;
    for (char& ch : text) {
      if (ch == ',' && (++commas == 3 || commas == 6)) ch = ';';
    }
    c.setText(0, "[" + text + "]");
  }
};

class BodyGetInertiaUnitsCMI0 final : public KalomCMI {
 public:
  BodyGetInertiaUnitsCMI0() : KalomCMI("getInertiaUnits", {kBody}, {kText}) {}
  void invoke(MethodCall& c) const override {
    c.setText(0, util::fromInertiaUnitToStr(c.object<Body>(0)->getInertiaUnits()));
  }
};

class BodyGetVolumeCMI0 final : public KalomCMI {
 public:
  BodyGetVolumeCMI0() : KalomCMI("getVolume", {kBody}, {kReal}) {}
  void invoke(MethodCall& c) const override { c.setReal(0, c.object<Body>(0)->getVolume()); }
};

class BodyGetVolumeUnitsCMI0 final : public KalomCMI {
 public:
  BodyGetVolumeUnitsCMI0() : KalomCMI("getVolumeUnits", {kBody}, {kText}) {}
  void invoke(MethodCall& c) const override {
    c.setText(0, util::fromVolUnitToStr(c.object<Body>(0)->getVolumeUnits()));
  }
};

class BodyGetSAreaCMI0 final : public KalomCMI {
 public:
  BodyGetSAreaCMI0() : KalomCMI("getSArea", {kBody}, {kReal}) {}
  void invoke(MethodCall& c) const override { c.setReal(0, c.object<Body>(0)->getSArea()); }
};

class BodyGetSAreaUnitsCMI0 final : public KalomCMI {
 public:
  BodyGetSAreaUnitsCMI0() : KalomCMI("getSAreaUnits", {kBody}, {kText}) {}
  void invoke(MethodCall& c) const override {
    c.setText(0, util::fromSAreaUnitToStr(c.object<Body>(0)->getSAreaUnits()));
  }
};

class BodyGetFileNameCMI0 final : public KalomCMI {
 public:
  BodyGetFileNameCMI0() : KalomCMI("getFileName", {kBody}, {kText}) {}
  void invoke(MethodCall& c) const override { c.setText(0, c.object<Body>(0)->getFileName()); }
};

class BodyAddLinkCMI0 final : public KalomCMI {
 public:
  BodyAddLinkCMI0() : KalomCMI("addLink", {kBody, {kFrame, "frame"}}, {}) {}
  void invoke(MethodCall& c) const override { c.object<Body>(0)->addLink(c.object<Frame>(1)); }
};

class BodyGetLinkCountCMI0 final : public KalomCMI {
 public:
  BodyGetLinkCountCMI0() : KalomCMI("getLinkCount", {kBody}, {kInt32}) {}
  void invoke(MethodCall& c) const override { c.setCount(0, c.object<Body>(0)->getLinkCount()); }
};

class BodyGetLinkAtCMI0 final : public KalomCMI {
 public:
  BodyGetLinkAtCMI0() : KalomCMI("getLinkAt", {kBody, {kInt32, "index"}}, {kFrame}) {}
  void invoke(MethodCall& c) const override {
    // A negative index becomes a huge one and yields an empty frame.
    c.setObject(0, c.object<Body>(0)->getLinkAt(static_cast<size_t>(c.int32(1))));
  }
};

class BodySetOriginFrameCMI0 final : public KalomCMI {
 public:
  BodySetOriginFrameCMI0() : KalomCMI("setOriginFrame", {kBody, {kFrame, "frame"}}, {}) {}
  void invoke(MethodCall& c) const override { c.object<Body>(0)->setOriginFrame(c.objectOrEmpty<Frame>(1)); }
};

class BodyGetOriginFrameCMI0 final : public KalomCMI {
 public:
  BodyGetOriginFrameCMI0() : KalomCMI("getOriginFrame", {kBody}, {kFrame}) {}
  void invoke(MethodCall& c) const override { c.setObject(0, c.object<Body>(0)->getOriginFrame()); }
};

class BodySetCGFrameCMI0 final : public KalomCMI {
 public:
  BodySetCGFrameCMI0() : KalomCMI("setCGFrame", {kBody, {kFrame, "frame"}}, {}) {}
  void invoke(MethodCall& c) const override { c.object<Body>(0)->setCGFrame(c.objectOrEmpty<Frame>(1)); }
};

class BodyGetCGFrameCMI0 final : public KalomCMI {
 public:
  BodyGetCGFrameCMI0() : KalomCMI("getCGFrame", {kBody}, {kFrame}) {}
  void invoke(MethodCall& c) const override { c.setObject(0, c.object<Body>(0)->getCGFrame()); }
};

class BodyGetColorCMI0 final : public KalomCMI {
 public:
  BodyGetColorCMI0() : KalomCMI("getColor", {kBody}, {kVector}) {}
  void invoke(MethodCall& c) const override {
    double color[3] = {-1.0, -1.0, -1.0};
    if (const kalot_vis_mat_prop* material = c.object<Body>(0)->getColor()) {
      for (int k = 0; k < 3; ++k) color[k] = material->color[k];
    }
    c.setVector(0, color);
  }
};

class BodyCCI final : public KalomCCI {
 public:
  BodyCCI() : KalomCCI("Body") {
    add(new BodyBodyCMI0());
    add(new BodyGetMassCMI0());
    add(new BodyGetMassStringCMI0());
    add(new BodyGetMassUnitsCMI0());
    add(new BodyGetInertiaCMI0());
    add(new BodyGetInertiaStringCMI0());
    add(new BodyGetInertiaUnitsCMI0());
    add(new BodyGetVolumeCMI0());
    add(new BodyGetVolumeUnitsCMI0());
    add(new BodyGetSAreaCMI0());
    add(new BodyGetSAreaUnitsCMI0());
    add(new BodyGetFileNameCMI0());
    add(new BodyAddLinkCMI0());
    add(new BodyGetLinkCountCMI0());
    add(new BodyGetLinkAtCMI0());
    add(new BodySetOriginFrameCMI0());
    add(new BodyGetOriginFrameCMI0());
    add(new BodySetCGFrameCMI0());
    add(new BodyGetCGFrameCMI0());
    add(new BodyGetColorCMI0());
  }
};

}  // namespace

KalomCCI* create_bodycci() { return new BodyCCI(); }

}  // namespace kalo_toolkit_qli
