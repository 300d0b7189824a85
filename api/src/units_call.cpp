// The C call that sets the process-wide unit system.

#include <kalo_api/kalo_api.h>

#include <kalo_toolkit/cad_unit.hpp>

#include "call_guard.hpp"

// The units are stored even when the mass gives no inertia unit (result 6); the converter then
// refuses them. A length outside its enumeration has no factor at all and would be written as a
// unit no reader knows, so it is refused and the unit system stays as it was.
extern "C" int kalot_set_units(KalotMassUnit mass, KalotLengthUnit length) {
  return kalo_api::guarded([&] {
    if (length < KALOT_LENGTH_M || length > KALOT_LENGTH_YD) return KALOT_GENERIC_FAILURE;
    kalo_toolkit::CadUnit* units = kalo_toolkit::s_getDefaultCadUnit();
    units->set(mass, length);
    return units->inertiaUnit == static_cast<KalotInertiaUnit>(-1) ? KALOT_UNSUPPORTED_INERTIA_UNITS
                                                                   : KALOT_SUCCESS;
  });
}
