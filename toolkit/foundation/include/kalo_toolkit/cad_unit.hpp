#pragma once

#include <kalo_toolkit/kalot_types.h>
#include <kalo_toolkit/export.hpp>

namespace kalo_toolkit {

/// Unit system of a CAD assembly: the plug-in's mass and length units and the
/// inertia, area and volume units derived from them (-1 where none exists).
class KALO_TOOLKIT_API CadUnit {
 public:
  CadUnit(KalotMassUnit mass, KalotLengthUnit length);
  virtual ~CadUnit();

  /// Stores both units and derives the others again.
  void set(KalotMassUnit mass, KalotLengthUnit length);
  void assignDerivedUnits();
  void assignInertiaUnit();
  void assignSAreaUnit();
  void assignVolUnit();

  KalotMassUnit massUnit;
  KalotLengthUnit lengthUnit;
  KalotInertiaUnit inertiaUnit;
  KalotSAreaUnit sAreaUnit;
  KalotVolUnit volUnit;
  /// Multiplies an inertia given in massUnit * lengthUnit^2 into inertiaUnit.
  double inertiaFactor;
};

/// The process-wide default unit system (kg, m at load); set by kalot_set_units.
KALO_TOOLKIT_API CadUnit* s_getDefaultCadUnit();

}  // namespace kalo_toolkit
