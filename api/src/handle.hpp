#pragma once

// The handle model of the C interface: a handle is a pointer to a small heap
// box holding one share (Boost shared_ptr) of the object, tagged with the
// object's kind so a handle of the wrong kind is refused instead of misused.

#include <boost/shared_ptr.hpp>

namespace kalo_toolkit {
class AssemComp;
class Cad2Zolt;
class CadCS;
class CadModel;
class CadModelRef;
class Constrain;
}  // namespace kalo_toolkit

namespace kalo_api {

enum class HandleKind { CadModel, CadModelRef, CadCS, AssemComp, Constrain, Cad2Zolt };

struct HandleBox {
  HandleKind kind;
  boost::shared_ptr<void> object;  // empty for an empty handle
};

template <typename T>
struct KindOf;

template <>
struct KindOf<kalo_toolkit::Cad2Zolt> {
  static constexpr HandleKind value = HandleKind::Cad2Zolt;
};
template <>
struct KindOf<kalo_toolkit::CadModel> {
  static constexpr HandleKind value = HandleKind::CadModel;
};
template <>
struct KindOf<kalo_toolkit::CadModelRef> {
  static constexpr HandleKind value = HandleKind::CadModelRef;
};
template <>
struct KindOf<kalo_toolkit::CadCS> {
  static constexpr HandleKind value = HandleKind::CadCS;
};
template <>
struct KindOf<kalo_toolkit::AssemComp> {
  static constexpr HandleKind value = HandleKind::AssemComp;
};
template <>
struct KindOf<kalo_toolkit::Constrain> {
  static constexpr HandleKind value = HandleKind::Constrain;
};

/// Creates a new box holding a share of obj (which may be empty).
template <typename T>
void* makeHandle(const boost::shared_ptr<T>& obj) {
  return new HandleBox{KindOf<T>::value, obj};
}

/// The object behind a live, non-empty handle of kind T, or an empty pointer.
template <typename T>
boost::shared_ptr<T> fromHandle(void* handle) {
  auto* box = static_cast<HandleBox*>(handle);
  if (box == nullptr || box->kind != KindOf<T>::value) return boost::shared_ptr<T>();
  return boost::static_pointer_cast<T>(box->object);
}

}  // namespace kalo_api
