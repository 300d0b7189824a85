#include <kalo_toolkit/cad_unit.hpp>

namespace kalo_toolkit {

namespace {

constexpr int kLengthCount = 8;  // m, cm, mm, km, in, ft, mi, yd

// Factors from mass * length^2 to the chosen inertia unit, by length unit.
// kg: to kg*m^2.
constexpr double kToKgM2[kLengthCount] = {1.0,        0.0001,     1e-6,       1e6,
                                          0.00064516, 0.09290304, 2589988.11, 0.83612736};
// g (and mg after its 0.001): to g*cm^2. cm leaves the factor unchanged.
constexpr double kToGCm2[kLengthCount] = {10000.0, 1.0,      0.01,          1e10,
                                          6.4516,  929.0304, 25899881100.0, 8361.2736};
// lbm, oz (after its 0.0625) and slug: to *ft^2. ft leaves the factor
// unchanged; in switches to the *in^2 unit instead of scaling.
constexpr double kToFt2[kLengthCount] = {10.7639104, 0.00107639104, 1.07639104e-5, 10763910.4,
                                         1.0,        1.0,           27878400.0,    9.0};

bool isLength(KalotLengthUnit l) { return l >= 0 && l < kLengthCount; }

}  // namespace

CadUnit::CadUnit(KalotMassUnit mass, KalotLengthUnit length)
    : massUnit(mass),
      lengthUnit(length),
      inertiaUnit(static_cast<KalotInertiaUnit>(-1)),
      sAreaUnit(static_cast<KalotSAreaUnit>(-1)),
      volUnit(static_cast<KalotVolUnit>(-1)),
      inertiaFactor(1.0) {
  assignDerivedUnits();
}

CadUnit::~CadUnit() = default;

void CadUnit::set(KalotMassUnit mass, KalotLengthUnit length) {
  massUnit = mass;
  lengthUnit = length;
  assignDerivedUnits();
}

void CadUnit::assignDerivedUnits() {
  assignInertiaUnit();
  assignSAreaUnit();
  assignVolUnit();
}

void CadUnit::assignInertiaUnit() {
  inertiaFactor = 1.0;
  const bool known = isLength(lengthUnit);
  switch (massUnit) {
    case KALOT_MASS_KG:
      inertiaUnit = KALOT_INERTIA_KG_M2;
      if (known) inertiaFactor = kToKgM2[lengthUnit];
      break;
    case KALOT_MASS_G:
    case KALOT_MASS_MG:
      inertiaUnit = KALOT_INERTIA_G_CM2;
      if (massUnit == KALOT_MASS_MG) inertiaFactor = 0.001;
      if (known) inertiaFactor *= kToGCm2[lengthUnit];
      break;
    case KALOT_MASS_LBM:
    case KALOT_MASS_OZ:
    case KALOT_MASS_SLUG: {
      const bool slug = massUnit == KALOT_MASS_SLUG;
      inertiaUnit = slug ? KALOT_INERTIA_SLUG_FT2 : KALOT_INERTIA_LBM_FT2;
      if (massUnit == KALOT_MASS_OZ) inertiaFactor = 0.0625;
      if (lengthUnit == KALOT_LENGTH_IN) {
        inertiaUnit = slug ? KALOT_INERTIA_SLUG_IN2 : KALOT_INERTIA_LBM_IN2;
      } else if (known) {
        inertiaFactor *= kToFt2[lengthUnit];
      }
      break;
    }
    default:
      inertiaUnit = static_cast<KalotInertiaUnit>(-1);
      break;
  }
}

void CadUnit::assignSAreaUnit() {
  sAreaUnit =
      isLength(lengthUnit) ? static_cast<KalotSAreaUnit>(lengthUnit) : static_cast<KalotSAreaUnit>(-1);
}

void CadUnit::assignVolUnit() {
  volUnit = isLength(lengthUnit) ? static_cast<KalotVolUnit>(lengthUnit) : static_cast<KalotVolUnit>(-1);
}

CadUnit* s_getDefaultCadUnit() {
  static CadUnit unit(KALOT_MASS_KG, KALOT_LENGTH_M);
  return &unit;
}

namespace {
// The default exists from library load on, before any caller can change it.
[[maybe_unused]] const CadUnit* const kDefaultAtLoad = s_getDefaultCadUnit();
}  // namespace

}  // namespace kalo_toolkit
