#include "mass_total.hpp"

#include <kalo_toolkit/enum_text.hpp>

#include "text_forms.hpp"

namespace kalo_inspect {

void MassTotal::add(const MassTotal& other) {
  for (const auto& [unit, mass] : other.byUnit) byUnit[unit] += mass;
}

std::string MassTotal::toText() const {
  if (byUnit.empty()) return "0";
  std::string out;
  for (const auto& [unit, mass] : byUnit) {
    if (!out.empty()) out += " + ";
    out += numberForText(mass) + " " + massUnitText(unit);
  }
  if (isMixed()) out += " (mixed units)";
  return out;
}

std::string massUnitText(int unit) {
  const std::string text = kalo_toolkit::util::fromMassUnitToStr(static_cast<KalotMassUnit>(unit));
  return text.empty() ? "(unknown unit)" : text;
}

}  // namespace kalo_inspect
