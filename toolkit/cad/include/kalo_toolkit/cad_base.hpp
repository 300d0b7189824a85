#pragma once

#include <cstdint>
#include <string>

#include <kalo_toolkit/export.hpp>

namespace kalo_toolkit {

/// Base of the named CAD objects: the plug-in's name and the CAD system's own
/// identifier of the entity (empty for definitions and constraints).
class KALO_TOOLKIT_API CadBase {
 public:
  CadBase() = default;
  CadBase(const std::string& name, const std::string& nodeID) : name(name), nodeID(nodeID) {}
  virtual ~CadBase();

  const std::string& getName() const { return name; }
  const std::string& getNodeID() const { return nodeID; }
  /// Renames the object; CadModel recounts the instance indexes of references after a rename.
  void setName(const std::string& n);
  /// How many times setName has been called in the process.
  static uint64_t s_getRenameCount();
  void setNodeID(const std::string& id) { nodeID = id; }

  std::string name;
  std::string nodeID;
};

}  // namespace kalo_toolkit
