#pragma once

#include <string>

#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include <kalo_toolkit/export.hpp>

namespace kalo_toolkit {

/// Base of every multibody object: a display name, a node ID (identifier path
/// in the model) and a non-owning back link to the owner.
class KALO_TOOLKIT_API ZoltBase {
 public:
  explicit ZoltBase(const std::string& name = std::string());
  virtual ~ZoltBase();

  virtual const std::string& getName() const;
  virtual void setName(const std::string& name);
  virtual void setNodeID(std::string nodeID);

  const std::string& getNodeID() const { return nodeID; }
  boost::shared_ptr<ZoltBase> getParent() const { return parent.lock(); }
  void setParent(const boost::shared_ptr<ZoltBase>& p) { parent = p; }
  const boost::weak_ptr<ZoltBase>& getParentRef() const { return parent; }

 protected:
  std::string name;
  std::string nodeID;
  boost::weak_ptr<ZoltBase> parent;
};

}  // namespace kalo_toolkit
