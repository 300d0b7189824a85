// The C call that sets the process-wide unit system.

#include <kalo_api/kalo_api.h>

#include <kalo_toolkit/cad_unit.hpp>

#include "call_guard.hpp"

// The units are stored even when they give no inertia unit; the converter then refuses them.
extern "C" int kalot_set_units(KalotMassUnit mass, KalotLengthUnit length) {
  return kalo_api::guarded([&] {
    kalo_toolkit::CadUnit* units = kalo_toolkit::s_getDefaultCadUnit();
    units->set(mass, length);
    return units->inertiaUnit == static_cast<KalotInertiaUnit>(-1) ? KALOT_UNSUPPORTED_INERTIA_UNITS
                                                                   : KALOT_SUCCESS;
  });
}
