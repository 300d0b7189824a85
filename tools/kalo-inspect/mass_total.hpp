#pragma once

#include <map>
#include <string>

#include <kalo_toolkit/kalot_types.h>

namespace kalo_inspect {

/// Masses summed per unit: masses in different units are never converted
/// into each other, so that the totals read exactly like the CAD's own.
class MassTotal {
 public:
  void add(KalotMassUnit unit, double mass) { byUnit[unit] += mass; }
  void add(const MassTotal& other);
  bool isMixed() const { return byUnit.size() > 1; }
  /// Unit code to sum, in ascending order of the code.
  const std::map<int, double>& sums() const { return byUnit; }
  /// "3.5 kg", "3.5 kg + 500 g (mixed units)", or "0" without any body.
  std::string toText() const;

 private:
  std::map<int, double> byUnit;
};

/// The unit's text, or "(unknown unit)" for a code outside the table.
std::string massUnitText(int unit);

}  // namespace kalo_inspect
