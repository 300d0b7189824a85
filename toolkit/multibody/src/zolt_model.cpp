#include <kalo_toolkit/zolt_model.hpp>

#include <kalo_toolkit/subsystem.hpp>

namespace kalo_toolkit {

ZoltModel::ZoltModel(const std::string& createdUsing, const std::string& createdFrom,
                     const std::string& createdOn, const std::string& createdBy, const std::string& name,
                     const boost::shared_ptr<Subsystem>& topSubsystem)
    : ZoltBase(name),
      createdUsing(createdUsing),
      createdFrom(createdFrom),
      createdOn(createdOn),
      createdBy(createdBy),
      topSubsystem(topSubsystem),
      nextFrameId(-1) {}

ZoltModel::~ZoltModel() = default;

}  // namespace kalo_toolkit
