#include "kalom_cmi.hpp"

#include <cstdlib>

#include "method_call.hpp"

namespace kalo_toolkit_qli {

void* KalomCMI::operator new(std::size_t size) {
  void* block = std::malloc(size);
  if (block == nullptr) throw qcos::OutOfMemory();
  return block;
}

void KalomCMI::operator delete(void* block) noexcept { std::free(block); }

KalomCMI::KalomCMI(const char* name, std::initializer_list<const char*> arguments,
                   std::initializer_list<const char*> results, int resultCount)
    : name_(name),
      arguments_(arguments.begin(), arguments.end()),
      results_(results.begin(), results.end()),
      resultCount_(resultCount < 0 ? static_cast<int>(results.size()) : resultCount),
      signature_(qcos::createSignature()) {
  try {
    for (const char* kind : arguments) qcos::appendArgumentKind(signature_, kind);
    for (const char* kind : results) qcos::appendResultKind(signature_, kind);
  } catch (...) {
    qcos::destroySignature(signature_);
    throw;
  }
}

KalomCMI::~KalomCMI() { qcos::destroySignature(signature_); }

void KalomCMI::call(void* /*hostContext*/, int* resultCount, qxSlot* results, void* /*callContext*/,
                    const qxSlot* arguments) {
  MethodCall call(*this, results, arguments);
  invoke(call);
  *resultCount = resultCount_;
}

}  // namespace kalo_toolkit_qli
