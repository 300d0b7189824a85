#include <kalo_qli/kalom_cci.hpp>

#include <cstdlib>

#include "holder.hpp"
#include "kalom_cmi.hpp"
#include "kinds.hpp"

namespace kalo_toolkit_qli {

void* KalomCCI::operator new(std::size_t size) {
  void* block = std::malloc(size);
  if (block == nullptr) throw qcos::OutOfMemory();
  return block;
}

void KalomCCI::operator delete(void* block) noexcept { std::free(block); }

KalomCCI::KalomCCI(const char* shortName)
    : shortName_(shortName),
      fullName_(std::string(kPackage) + "." + shortName),
      description_(std::string("This is the COSClassInfo class for the C++ class : ") + shortName) {
  if (fullName_ != kZoltBase) qcos::setSuperclass(this, kZoltBase);
}

KalomCCI::~KalomCCI() = default;

void KalomCCI::releaseInstanceData(void* data) { delete static_cast<Holder*>(data); }

void KalomCCI::add(KalomCMI* method) {
  method->setOwner(fullName_);
  qcos::addMethod(this, method);
}

}  // namespace kalo_toolkit_qli
