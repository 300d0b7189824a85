#include <kalo_toolkit/cad_model_ref.hpp>

#include <charconv>
#include <limits>

#include <kalo_toolkit/cad_model.hpp>

namespace kalo_toolkit {

CadModelRef::CadModelRef(const std::string& name, const std::string& nodeID,
                         const boost::shared_ptr<CadModel>& cadModel, const double* rotation,
                         const double* translation, double scale, bool flexible, bool fixed,
                         const kalot_vis_mat_prop* material)
    : CadBase(name, nodeID),
      Transform(rotation, translation, scale),
      cadModel(cadModel),
      flexible(flexible),
      fixed(fixed),
      instanceIndex(std::numeric_limits<uint64_t>::max()) {
  setMatProp(material);
}

CadModelRef::~CadModelRef() = default;

std::string CadModelRef::getDisplayName() const {
  if (instanceIndex == 0) return name;
  // to_chars never consults the locale, so the digits are plain ASCII without grouping.
  char digits[24];
  const auto res = std::to_chars(digits, digits + sizeof(digits), instanceIndex);
  return name + "-" + std::string(digits, res.ptr);
}

void CadModelRef::setMatProp(const kalot_vis_mat_prop* p) {
  matProp.reset(p != nullptr ? new kalot_vis_mat_prop(*p) : nullptr);
}

}  // namespace kalo_toolkit
