#include "kalom_cmi.hpp"

#include <cstdlib>

#include <kalo_qli/parameter_names.hpp>

#include "method_call.hpp"

namespace kalo_toolkit_qli {

void* KalomCMI::operator new(std::size_t size) {
  void* block = std::malloc(size);
  if (block == nullptr) throw qcos::OutOfMemory();
  return block;
}

void KalomCMI::operator delete(void* block) noexcept { std::free(block); }

KalomCMI::KalomCMI(const char* name, const std::vector<Argument>& arguments,
                   std::initializer_list<const char*> results, int resultCount)
    : name_(name),
      results_(results.begin(), results.end()),
      resultCount_(resultCount < 0 ? static_cast<int>(results.size()) : resultCount),
      signature_(qcos::createSignature()) {
  try {
    for (const Argument& argument : arguments) {
      arguments_.emplace_back(argument.kind);
      names_.emplace_back(argument.name);
      qcos::appendArgumentKind(signature_, argument.kind);
    }
    for (const char* kind : results) qcos::appendResultKind(signature_, kind);
  } catch (...) {
    qcos::destroySignature(signature_);
    throw;
  }
}

KalomCMI::~KalomCMI() { qcos::destroySignature(signature_); }

std::vector<std::string> parameterNames(const qcos::MethodInfo& method) {
  const auto* own = dynamic_cast<const KalomCMI*>(&method);
  return own ? own->argumentNames() : std::vector<std::string>();
}

void KalomCMI::call(void* /*hostContext*/, int* resultCount, qxSlot* results, void* /*callContext*/,
                    const qxSlot* arguments) {
  MethodCall call(*this, results, arguments);
  invoke(call);
  *resultCount = resultCount_;
}

}  // namespace kalo_toolkit_qli
