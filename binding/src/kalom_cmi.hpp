#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

#include <qcos_host/qcos.hpp>

namespace kalo_toolkit_qli {

class MethodCall;

/// One argument of a method: the kind the host sees and the parameter name that
/// front-ends show and accept as keyword (empty for the object a method is called on).
struct Argument {
  Argument(const char* kind) : kind(kind) {}  // NOLINT(google-explicit-constructor): the unnamed object
  Argument(const char* kind, const char* name) : kind(kind), name(name) {}
  const char* kind;
  const char* name = "";
};

/// Base of the package's method information objects: a name, a signature made
/// with the object and released with it, fixed answers, and the call frame that
/// converts between host slots and model values around invoke().
class KalomCMI : public qcos::MethodInfo {
 public:
  /// Allocation failures throw the host's out-of-memory exception.
  static void* operator new(std::size_t size);
  static void operator delete(void* block) noexcept;

  ~KalomCMI() override;
  KalomCMI(const KalomCMI&) = delete;
  KalomCMI& operator=(const KalomCMI&) = delete;

  const char* name() const final { return name_.c_str(); }
  const qcos::Signature* signature() const final { return signature_; }
  const char* description() const final { return nullptr; }
  int memberAccess() const final { return 0; }
  bool isVisible() const final { return true; }
  bool isStatic() const final { return false; }
  bool isAbstract() const final { return false; }
  bool isSealed() const final { return false; }
  bool isLocked() const final { return true; }
  bool isDestructible() const final { return true; }
  bool isExplicit() const final { return false; }
  bool dispatchesOnFirstArgument() const final { return true; }
  bool overridesAllSignatures() const final { return false; }

  void call(void* hostContext, int* resultCount, qxSlot* results, void* callContext,
            const qxSlot* arguments) final;

  /// Full name of the class the method belongs to, for error texts.
  void setOwner(const std::string& classFullName) { owner_ = classFullName; }
  const std::string& owner() const { return owner_; }
  const std::vector<std::string>& argumentKinds() const { return arguments_; }
  const std::vector<std::string>& argumentNames() const { return names_; }
  const std::vector<std::string>& resultKinds() const { return results_; }

 protected:
  /// The result count is the number of result kinds unless given.
  KalomCMI(const char* name, const std::vector<Argument>& arguments,
           std::initializer_list<const char*> results, int resultCount = -1);
  virtual void invoke(MethodCall& call) const = 0;

 private:
  std::string name_;
  std::string owner_;
  std::vector<std::string> arguments_;
  std::vector<std::string> names_;
  std::vector<std::string> results_;
  int resultCount_;
  qcos::Signature* signature_;
};

}  // namespace kalo_toolkit_qli
