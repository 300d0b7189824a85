#pragma once

#include <cstddef>
#include <string>

#include <kalo_qli/export.h>
#include <qcos_host/qcos.hpp>

namespace kalo_toolkit_qli {

class KalomCMI;

/// Base of the package's class information objects: one per host class
/// "kaloimport.<short name>". Its instances' data is a holder (a heap shared
/// pointer to the model object), deleted when the host destroys the instance.
class KALO_QLI_API KalomCCI : public qcos::ClassInfo {
 public:
  /// Allocation failures throw the host's out-of-memory exception.
  static void* operator new(std::size_t size);
  static void operator delete(void* block) noexcept;

  ~KalomCCI() override;

  const char* shortName() const final { return shortName_.c_str(); }
  const char* description() const final { return description_.c_str(); }
  const char* detailedDescription() const final { return description_.c_str(); }
  void releaseInstanceData(void* data) final;

  bool isHidden() const final { return false; }
  bool isSealed() const final { return false; }
  bool isEnumeration() const final { return false; }
  bool isHandleCompatible() const final { return false; }
  bool hasInexactPropertyCompatibility() const final { return false; }
  bool displaysFullName() const final { return false; }
  bool propertiesCaseSensitive() const final { return true; }
  bool truncatesPropertyNames() const final { return false; }
  bool savesChildren() const final { return true; }
  bool constructsOnLoad() const final { return true; }
  bool usesClassDefaultsOnLoad() const final { return false; }
  bool isLocked() const final { return true; }
  bool isDestructible() const final { return true; }
  bool hasClassFunctions() const final { return false; }
  bool hasExtensionMethods() const final { return false; }
  bool hasRootRecords() const final { return false; }
  bool hasSeparateEventNamespace() const final { return false; }
  bool hasCustomChildrenList() const final { return false; }
  const char* module() const final { return nullptr; }
  int accessLevel() const final { return 0; }
  int arrayNature() const final { return 0; }
  bool allowsInstanceUpdates() const final { return false; }

 protected:
  /// Declares the superclass "kaloimport.ZoltBase" unless this is ZoltBase itself.
  explicit KalomCCI(const char* shortName);
  /// Adds the next method, in registration order; the host owns it.
  void add(KalomCMI* method);

 private:
  std::string shortName_;
  std::string fullName_;
  std::string description_;
};

/// The class information of "kaloimport.Body".
KALO_QLI_API KalomCCI* create_bodycci();

}  // namespace kalo_toolkit_qli
