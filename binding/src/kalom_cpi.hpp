#pragma once

#include <cstddef>

#include <qcos_host/qcos.hpp>

namespace kalo_toolkit_qli {

/// The package "kaloimport". Allocated zero-filled from the C heap; a failed
/// allocation throws the host's out-of-memory exception.
class KalomCPI final : public qcos::PackageInfo {
 public:
  static void* operator new(std::size_t size);
  static void operator delete(void* block) noexcept;

  KalomCPI() = default;
  ~KalomCPI() override;

  const char* name() const override;
  const char* description() const override { return nullptr; }
  const char* detailedDescription() const override { return nullptr; }
  const char* helpText() const override { return nullptr; }
  const char* firstHelpLine() const override { return nullptr; }
  bool isLocked() const override { return true; }
  bool isDestructible() const override { return true; }
  void defineClasses() override;
};

}  // namespace kalo_toolkit_qli
