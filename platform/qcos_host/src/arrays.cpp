// Host arrays: doubles, text and objects.

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include <qcos_host/qx_array.h>
#include <qcos_host/qcos.hpp>

#include "registry.hpp"
#include "text_encoding.hpp"

namespace {

template <typename Fn>
auto orOutOfMemory(Fn&& fn) -> decltype(fn()) {
  try {
    return fn();
  } catch (const std::bad_alloc&) {
    throw qcos::OutOfMemory();
  }
}

void* hostBlock(size_t bytes) {
  void* block = std::malloc(bytes == 0 ? 1 : bytes);
  if (block == nullptr) throw qcos::OutOfMemory();
  return block;
}

}  // namespace

extern "C" {

qxArray* qxCreateDoubleMatrix(size_t m, size_t n) {
  return orOutOfMemory([&] {
    if (n != 0 && m > SIZE_MAX / sizeof(double) / n) throw std::bad_alloc();
    auto array = std::make_unique<qxArray>();
    array->classID = qxDOUBLE_CLASS;
    array->m = m;
    array->n = n;
    array->reals.assign(m * n, 0.0);
    return array.release();
  });
}

qxArray* qxCreateString(const char* text) {
  return orOutOfMemory([&] {
    auto array = std::make_unique<qxArray>();
    array->classID = qxCHAR_CLASS;
    array->chars = qcos::detail::localToUtf16(text ? text : "");
    array->m = 1;
    array->n = array->chars.size();
    return array.release();
  });
}

qxArray* qxCreateObjectArray(const qcosClass* cls) {
  if (cls == nullptr) throw qcos::Error("qcos:invalidClass", "No class given for an object array");
  return orOutOfMemory([&] {
    auto array = std::make_unique<qxArray>();
    array->classID = qxOBJECT_CLASS;
    array->className = cls->fullName;
    array->m = 1;
    array->n = 1;
    array->objects.assign(1, nullptr);
    return array.release();
  });
}

void qxSetObject(qxArray* array, size_t index, qcosInstance* object) {
  if (array == nullptr || array->classID != qxOBJECT_CLASS || index >= array->objects.size()) {
    throw qcos::Error("qcos:invalidArray", "Not an object array, or index out of range");
  }
  qcosInstance* old = array->objects[index];
  if (old == object) return;
  qcos::detail::addReference(object);
  array->objects[index] = object;
  qcos::detail::dropReference(old);
}

qcosInstance* qxGetObject(const qxArray* array, size_t index) {
  if (array == nullptr || array->classID != qxOBJECT_CLASS || index >= array->objects.size()) return nullptr;
  return array->objects[index];
}

qxClassID qxGetClassID(const qxArray* array) { return array ? array->classID : qxUNKNOWN_CLASS; }

const char* qxGetClassName(const qxArray* array) {
  if (array == nullptr) return "unknown";
  switch (array->classID) {
    case qxOBJECT_CLASS:
      return array->className.c_str();
    case qxCHAR_CLASS:
      return "char";
    case qxLOGICAL_CLASS:
      return "logical";
    case qxDOUBLE_CLASS:
      return "double";
    case qxINT32_CLASS:
      return "int32";
    case qxUINT32_CLASS:
      return "uint32";
    case qxUNKNOWN_CLASS:
      break;
  }
  return "unknown";
}

size_t qxGetM(const qxArray* array) { return array ? array->m : 0; }
size_t qxGetN(const qxArray* array) { return array ? array->n : 0; }
size_t qxGetNumberOfElements(const qxArray* array) { return array ? array->m * array->n : 0; }

double* qxGetPr(const qxArray* array) {
  if (array == nullptr || array->classID != qxDOUBLE_CLASS) return nullptr;
  return const_cast<double*>(array->reals.data());
}

uint16_t* qxArrayToUTF16String(const qxArray* array) {
  if (array == nullptr || array->classID != qxCHAR_CLASS) return nullptr;
  const size_t n = array->chars.size();
  auto* out = static_cast<uint16_t*>(hostBlock((n + 1) * sizeof(uint16_t)));
  for (size_t i = 0; i < n; ++i) out[i] = array->chars[i];
  out[n] = 0;
  return out;
}

char* qxUTF16ToLocalString(const uint16_t* text) {
  std::u16string units;
  const std::string local = orOutOfMemory([&] {
    for (const uint16_t* p = text; p != nullptr && *p != 0; ++p) units.push_back(*p);
    return qcos::detail::utf16ToLocal(units);
  });
  auto* out = static_cast<char*>(hostBlock(local.size() + 1));
  std::memcpy(out, local.c_str(), local.size() + 1);
  return out;
}

void qxFree(void* block) { std::free(block); }

void qxDestroyArray(qxArray* array) {
  if (array == nullptr) return;
  for (qcosInstance* object : array->objects) qcos::detail::dropReference(object);
  delete array;
}

}  // extern "C"
