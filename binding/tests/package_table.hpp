#pragma once

// The classes and methods the package "kaloimport" must offer, transcribed
// from the published method table (not from the binding's sources).

#include <string>
#include <vector>

namespace kalo_qli_test {

struct TableMethod {
  std::string name;
  std::vector<std::string> arguments;
  std::vector<std::string> results;
  int resultCount;
};

struct TableClass {
  std::string fullName;
  std::string shortName;
  std::string superclass;
  std::vector<TableMethod> methods;
};

/// Every class in definition order, each with its methods in registration order.
const std::vector<TableClass>& packageTable();

/// The entry for a method given by class and position, or null.
const TableMethod* tableMethod(const std::string& classFullName, size_t index);

}  // namespace kalo_qli_test
