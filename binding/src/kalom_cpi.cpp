#include "kalom_cpi.hpp"

#include <cstdlib>

#include "class_infos.hpp"
#include "kinds.hpp"

namespace kalo_toolkit_qli {

void* KalomCPI::operator new(std::size_t size) {
  void* block = std::calloc(1, size);
  if (block == nullptr) throw qcos::OutOfMemory();
  return block;
}

void KalomCPI::operator delete(void* block) noexcept { std::free(block); }

KalomCPI::~KalomCPI() = default;

const char* KalomCPI::name() const { return kPackage; }

void KalomCPI::defineClasses() {
  // Superclasses come before the classes that name them.
  KalomCCI* (*const factories[])() = {create_zoltbasecci,  create_bodycci,        create_bodyrefcci,
                                      create_framecci,     create_framerefcci,    create_groundcci,
                                      create_jointcci,     create_primitivecci,   create_zoltmodelcci,
                                      create_subsystemcci, create_subsystemrefcci};
  for (auto factory : factories) qcos::defineClass(this, factory());
}

}  // namespace kalo_toolkit_qli
