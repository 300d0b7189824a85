#pragma once

#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include <kalo_toolkit/cad_base.hpp>
#include <kalo_toolkit/export.hpp>

namespace kalo_toolkit {

class CadModelRef;

/// A named joint of a definition. No operation of the system fills its lists.
class KALO_TOOLKIT_API CadJoint : public CadBase {
 public:
  explicit CadJoint(const std::string& name);
  ~CadJoint() override;

  std::vector<boost::shared_ptr<CadModelRef>> baseRefs;
  std::vector<boost::shared_ptr<CadModelRef>> followerRefs;
};

}  // namespace kalo_toolkit
