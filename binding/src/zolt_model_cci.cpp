// "kaloimport.ZoltModel": the model, its frame id counter and its XML file.

#include "method_support.hpp"

namespace kalo_toolkit_qli {
namespace {

using kalo_toolkit::MechanismSimplifier;
using kalo_toolkit::Subsystem;
using kalo_toolkit::ZoltModel;
namespace util = kalo_toolkit::util;

class ZoltModelZoltModelCMI0 final : public KalomCMI {
 public:
  ZoltModelZoltModelCMI0()
      : KalomCMI("ZoltModel",
                 {{kText, "created_using"},
                  {kText, "created_from"},
                  {kText, "created_on"},
                  {kText, "created_by"},
                  {kText, "name"},
                  {kSubsystem, "top"}},
                 {kZoltModel}) {}
  void invoke(MethodCall& c) const override {
    const std::string createdUsing = c.text(0);
    const std::string createdFrom = c.text(1);
    const std::string createdOn = c.text(2);
    const std::string createdBy = c.text(3);
    const std::string name = c.text(4);
    const auto top = c.object<Subsystem>(5);
    c.construct(boost::make_shared<ZoltModel>(createdUsing, createdFrom, createdOn, createdBy, name, top));
  }
};

class ZoltModelGetTopSubsystemCMI0 final : public KalomCMI {
 public:
  ZoltModelGetTopSubsystemCMI0() : KalomCMI("getTopSubsystem", {kZoltModel}, {kSubsystem}) {}
  void invoke(MethodCall& c) const override { c.setObject(0, c.object<ZoltModel>(0)->getTopSubsystem()); }
};

class ZoltModelGetNextFrameIdCMI0 final : public KalomCMI {
 public:
  ZoltModelGetNextFrameIdCMI0() : KalomCMI("getNextFrameId", {kZoltModel}, {kInt32}) {}
  void invoke(MethodCall& c) const override { c.setInt32(0, c.object<ZoltModel>(0)->getNextFrameId()); }
};

class ZoltModelWriteToXMLCMI0 final : public KalomCMI {
 public:
  ZoltModelWriteToXMLCMI0() : KalomCMI("writeToXML", {kZoltModel, {kText, "path"}}, {kText}) {}
  void invoke(MethodCall& c) const override {
    const auto model = c.object<ZoltModel>(0);
    const int error = model->writeToXML(c.text(1));
    c.setText(0, util::fromErrorToStr(static_cast<KalotError>(error)));
  }
};

class ZoltModelReadFromXMLCMI0 final : public KalomCMI {
 public:
  ZoltModelReadFromXMLCMI0()
      : KalomCMI("readFromXML", {{kText, "path"}, {kInt32, "option"}}, {kZoltModel, kText}) {}
  void invoke(MethodCall& c) const override {
    const std::string path = c.text(0);
    // Only the two restructuring options are offered; anything else reads as is.
    const int32_t requested = c.int32(1);
    const auto option = requested == 1   ? MechanismSimplifier::FlattenAndGroup
                        : requested == 2 ? MechanismSimplifier::Group
                                         : MechanismSimplifier::None;
    KalotError error = KALOT_SUCCESS;
    const boost::shared_ptr<ZoltModel> model = ZoltModel::readFromXML(&error, path, option);
    c.setObject(0, model);
    c.setText(1, util::fromErrorToStr(error));
  }
};

class ZoltModelCCI final : public KalomCCI {
 public:
  ZoltModelCCI() : KalomCCI("ZoltModel") {
    add(new ZoltModelZoltModelCMI0());
    add(new ZoltModelGetTopSubsystemCMI0());
    add(new ZoltModelGetNextFrameIdCMI0());
    add(new ZoltModelWriteToXMLCMI0());
    add(new ZoltModelReadFromXMLCMI0());
  }
};

}  // namespace

KalomCCI* create_zoltmodelcci() { return new ZoltModelCCI(); }

}  // namespace kalo_toolkit_qli
