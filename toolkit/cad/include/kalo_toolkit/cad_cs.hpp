#pragma once

#include <string>

#include <kalo_toolkit/cad_base.hpp>
#include <kalo_toolkit/export.hpp>
#include <kalo_toolkit/transform.hpp>

namespace kalo_toolkit {

/// A named coordinate system of a definition, in the definition's coordinates (scale 1).
class KALO_TOOLKIT_API CadCS : public CadBase, public Transform {
 public:
  CadCS(const std::string& name, const std::string& nodeID, const double* rotation,
        const double* translation);
  ~CadCS() override;
};

}  // namespace kalo_toolkit
