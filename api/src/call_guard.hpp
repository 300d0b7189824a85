#pragma once

// Argument checks and exception barrier shared by the building calls: a bad argument throws
// BadArgument inside the call, and the guard turns every exception into result 1.

#include <cmath>
#include <cstddef>

#include <boost/shared_ptr.hpp>

#include <kalo_toolkit/kalot_types.h>

#include "handle.hpp"

namespace kalo_api {

struct BadArgument {};

/// The object behind a live, non-empty handle of kind T; throws BadArgument for a null, empty or
/// foreign handle.
template <typename T>
boost::shared_ptr<T> requireObject(void* handle) {
  boost::shared_ptr<T> object = fromHandle<T>(handle);
  if (!object) throw BadArgument();
  return object;
}

/// The object behind an optional handle: empty for a null or empty handle of kind T; throws
/// BadArgument for a handle of another kind.
template <typename T>
boost::shared_ptr<T> optionalObject(void* handle) {
  const auto* box = static_cast<const HandleBox*>(handle);
  if (box == nullptr) return boost::shared_ptr<T>();
  if (box->kind != KindOf<T>::value) throw BadArgument();
  return boost::static_pointer_cast<T>(box->object);
}

template <typename P>
P* require(P* pointer) {
  if (pointer == nullptr) throw BadArgument();
  return pointer;
}

/// A number handed in must be finite: a NaN or an infinity would travel into the written file,
/// which no reader opens, so the call that brings it in is refused instead.
inline double requireFinite(double v) {
  if (!std::isfinite(v)) throw BadArgument();
  return v;
}

/// A present array of n finite numbers.
inline const double* requireFinite(const double* v, size_t n) {
  require(v);
  for (size_t i = 0; i < n; ++i) requireFinite(v[i]);
  return v;
}

/// An optional material whose nine values, when given, are finite.
inline const kalot_vis_mat_prop* finiteOrNone(const kalot_vis_mat_prop* m) {
  if (m == nullptr) return m;
  requireFinite(m->color, 3);
  for (double v : {m->ambient, m->diffuse, m->specular, m->shininess, m->transparency, m->emission})
    requireFinite(v);
  return m;
}

/// Runs a call; any exception becomes result 1.
template <typename F>
int guarded(F&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return KALOT_GENERIC_FAILURE;
  }
}

/// Runs a creating call whose body returns the new handle: on success *out receives it and the
/// result is 0; on any failure *out is set to null and the result is 1.
template <typename F>
int guardedCreate(void** out, F&& body) noexcept {
  if (out == nullptr) return KALOT_GENERIC_FAILURE;
  try {
    *out = body();
    return KALOT_SUCCESS;
  } catch (...) {
    *out = nullptr;
    return KALOT_GENERIC_FAILURE;
  }
}

}  // namespace kalo_api
