#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include <boost/shared_ptr.hpp>

#include <kalo_toolkit/export.hpp>

namespace kalo_toolkit {

class Subsystem;

/// Restructures a model just read from its file: flattens the subsystem
/// hierarchy and/or gathers welded bodies into rigid subsystems.
class KALO_TOOLKIT_API MechanismSimplifier {
 public:
  enum Option {
    None = 0,             ///< nothing
    FlattenAndGroup = 1,  ///< flatten, then group welded bodies into rigid subsystems
    Group = 2,            ///< group welded bodies, keep the hierarchy
    Flatten = 3           ///< flatten only
  };

  /// Does all the work on construction.
  MechanismSimplifier(const boost::shared_ptr<Subsystem>& top, Option option);
  virtual ~MechanismSimplifier();
  MechanismSimplifier(const MechanismSimplifier&) = delete;
  MechanismSimplifier& operator=(const MechanismSimplifier&) = delete;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl;
};

}  // namespace kalo_toolkit
