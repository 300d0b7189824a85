#pragma once

#include <string>

#include <kalo_toolkit/export.hpp>

namespace kalo_toolkit {

/// Read context carried from the root of an XML file into its element readers.
class KALO_TOOLKIT_API ReadHelper {
 public:
  ReadHelper();
  virtual ~ReadHelper();

  std::string formatVersion;  ///< quotes removed
  int internalVersion;        ///< 0 until the file supplies one
};

}  // namespace kalo_toolkit
