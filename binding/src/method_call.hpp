#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include <boost/shared_ptr.hpp>

#include <qcos_host/qx_array.h>

#include "holder.hpp"

namespace kalo_toolkit_qli {

class KalomCMI;

/// One call of a method: reads the argument slots as model values and stores
/// results in the result slots, each by the kind the signature declares.
/// Arguments that would make the model use a missing value are rejected with a
/// host error naming the method and the argument.
class MethodCall {
 public:
  MethodCall(const KalomCMI& method, qxSlot* results, const qxSlot* arguments);

  /// The object argument i as the class T; rejected when empty or of another class.
  template <typename T>
  boost::shared_ptr<T> object(size_t i) const {
    const Holder held = holder(i);
    if (!held) reject(i, "is an empty object");
    return as<T>(i, held);
  }
  /// As object(), but an empty object is passed on as an empty pointer.
  template <typename T>
  boost::shared_ptr<T> objectOrEmpty(size_t i) const {
    const Holder held = holder(i);
    return held ? as<T>(i, held) : boost::shared_ptr<T>();
  }
  /// The holder of object argument i as it is (possibly empty).
  Holder holder(size_t i) const;

  std::string text(size_t i) const;
  double real(size_t i) const { return arguments_[i].real; }
  int32_t int32(size_t i) const { return arguments_[i].int32; }
  uint32_t uint32(size_t i) const { return arguments_[i].uint32; }
  /// Exactly 3 doubles, given as 3x1 or 1x3.
  std::array<double, 3> vector(size_t i) const;
  /// A 3x3 matrix; element i of the host array becomes value i.
  std::array<double, 9> matrix(size_t i) const;

  void setReal(size_t i, double value) { results_[i].real = value; }
  void setInt32(size_t i, int32_t value) { results_[i].int32 = value; }
  /// A count of a list, as the host's signed 32-bit number.
  void setCount(size_t i, size_t count) { results_[i].int32 = static_cast<int32_t>(count); }
  void setLogical(size_t i, bool value) { results_[i].logical = value ? 1 : 0; }
  void setText(size_t i, const std::string& text);
  void setVector(size_t i, const double* values);
  void setMatrix(size_t i, const double* values);
  /// A new object of the class declared for result i, holding `object`.
  void setObject(size_t i, const Holder& object);
  /// A constructor's result: attaches `object` to the new host object in slot 0.
  void construct(const Holder& object);

  [[noreturn]] void reject(size_t i, const std::string& why) const;

 private:
  template <typename T>
  boost::shared_ptr<T> as(size_t i, const Holder& held) const {
    boost::shared_ptr<T> typed = boost::dynamic_pointer_cast<T>(held);
    if (!typed) reject(i, "holds an object of another class");
    return typed;
  }
  const qxArray* array(size_t i) const;
  std::string where() const;

  const KalomCMI& method_;
  qxSlot* results_;
  const qxSlot* arguments_;
};

}  // namespace kalo_toolkit_qli
