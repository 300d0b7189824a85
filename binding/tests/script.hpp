#pragma once

// Drives the package as a host script does: values in, class and method by
// name, values out.

#include <cstdint>
#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include <kalo_toolkit/zolt_base.hpp>
#include <qcos_host/host.hpp>

namespace kalo_qli_test {

using qcos::classNameOf;
using qcos::doublesOf;
using qcos::textOf;
using qcos::Value;

Value text(const std::string& s);
Value column(double x, double y, double z);
Value row(double x, double y, double z);
/// A 3x3 matrix from its nine values, column by column.
Value matrix(const std::vector<double>& values);
Value identity();

/// Calls a method by class and name and checks the result count the method
/// reports against the package table. Returns every result slot.
std::vector<Value> call(const std::string& cls, const std::string& method, const std::vector<Value>& args);
/// The first result of call().
Value call1(const std::string& cls, const std::string& method, const std::vector<Value>& args);

int32_t int32Of(const Value& v);
/// ZoltBase.isEmpty of a host object.
bool isEmpty(const Value& object);
/// The model object behind a host object (empty when its holder is).
boost::shared_ptr<kalo_toolkit::ZoltBase> heldObject(const Value& object);

/// A fresh path in the test's scratch directory.
std::string scratchPath(const std::string& fileName);

}  // namespace kalo_qli_test
