#include <gtest/gtest.h>

#include <kalo_toolkit/cad_unit.hpp>

using kalo_toolkit::CadUnit;

namespace {

// Per mass unit: the inertia unit and the factor for each length unit
// m, cm, mm, km, in, ft, mi, yd.
struct Row {
  KalotMassUnit mass;
  int inertia[8];
  double factor[8];
};

const double kFt2[8] = {10.7639104, 0.00107639104, 1.07639104e-5, 10763910.4, 1, 1, 27878400, 9};

}  // namespace

// Every mass and length pair of the derivation, with the factor that turns an
// inertia in mass * length^2 into the derived inertia unit.
TEST(CadUnit, InertiaFactorTable) {
  const Row rows[] = {
      {KALOT_MASS_KG,
       {1, 1, 1, 1, 1, 1, 1, 1},
       {1, 0.0001, 1e-6, 1e6, 0.00064516, 0.09290304, 2589988.11, 0.83612736}},
      {KALOT_MASS_G,
       {0, 0, 0, 0, 0, 0, 0, 0},
       {10000, 1, 0.01, 1e10, 6.4516, 929.0304, 25899881100.0, 8361.2736}},
      {KALOT_MASS_MG,
       {0, 0, 0, 0, 0, 0, 0, 0},
       {10, 0.001, 1e-5, 1e7, 0.0064516, 0.9290304, 25899881.1, 8.3612736}},
      {KALOT_MASS_LBM, {5, 5, 5, 5, 4, 5, 5, 5}, {}},
      {KALOT_MASS_OZ, {5, 5, 5, 5, 4, 5, 5, 5}, {}},
      {KALOT_MASS_SLUG, {3, 3, 3, 3, 2, 3, 3, 3}, {}},
  };
  for (const Row& row : rows) {
    for (int l = 0; l < 8; ++l) {
      const CadUnit u(row.mass, static_cast<KalotLengthUnit>(l));
      SCOPED_TRACE(testing::Message() << "mass " << row.mass << " length " << l);
      double factor = row.factor[l];
      if (row.mass >= KALOT_MASS_LBM) factor = (row.mass == KALOT_MASS_OZ ? 0.0625 : 1.0) * kFt2[l];
      EXPECT_EQ(u.inertiaUnit, row.inertia[l]);
      EXPECT_DOUBLE_EQ(u.inertiaFactor, factor);
      EXPECT_EQ(u.sAreaUnit, l);
      EXPECT_EQ(u.volUnit, l);
    }
  }
  // The cases called out for the derivation.
  EXPECT_DOUBLE_EQ(CadUnit(KALOT_MASS_MG, KALOT_LENGTH_MM).inertiaFactor, 0.00001);
  EXPECT_EQ(CadUnit(KALOT_MASS_OZ, KALOT_LENGTH_IN).inertiaFactor, 0.0625);
  EXPECT_EQ(CadUnit(KALOT_MASS_SLUG, KALOT_LENGTH_IN).inertiaFactor, 1.0);
  EXPECT_EQ(CadUnit(KALOT_MASS_LBM, KALOT_LENGTH_YD).inertiaFactor, 9.0);
}

TEST(CadUnit, UnknownMassOrLength) {
  const CadUnit noMass(static_cast<KalotMassUnit>(6), KALOT_LENGTH_MM);
  EXPECT_EQ(noMass.inertiaUnit, -1);
  EXPECT_EQ(noMass.inertiaFactor, 1.0);
  EXPECT_EQ(noMass.sAreaUnit, KALOT_SAREA_MM2);  // still derived
  EXPECT_EQ(noMass.volUnit, KALOT_VOL_MM3);

  const CadUnit negative(static_cast<KalotMassUnit>(-1), KALOT_LENGTH_M);
  EXPECT_EQ(negative.inertiaUnit, -1);

  // An unknown length keeps the factor of the mass step and the chosen unit.
  const CadUnit ozBad(KALOT_MASS_OZ, static_cast<KalotLengthUnit>(8));
  EXPECT_EQ(ozBad.inertiaUnit, KALOT_INERTIA_LBM_FT2);
  EXPECT_EQ(ozBad.inertiaFactor, 0.0625);
  EXPECT_EQ(ozBad.sAreaUnit, -1);
  EXPECT_EQ(ozBad.volUnit, -1);
  const CadUnit mgBad(KALOT_MASS_MG, static_cast<KalotLengthUnit>(-1));
  EXPECT_EQ(mgBad.inertiaUnit, KALOT_INERTIA_G_CM2);
  EXPECT_EQ(mgBad.inertiaFactor, 0.001);
  const CadUnit kgBad(KALOT_MASS_KG, static_cast<KalotLengthUnit>(8));
  EXPECT_EQ(kgBad.inertiaUnit, KALOT_INERTIA_KG_M2);
  EXPECT_EQ(kgBad.inertiaFactor, 1.0);
}

TEST(CadUnit, SetDerivesAgainFromScratch) {
  CadUnit u(KALOT_MASS_OZ, KALOT_LENGTH_M);
  u.set(KALOT_MASS_SLUG, KALOT_LENGTH_IN);
  EXPECT_EQ(u.massUnit, KALOT_MASS_SLUG);
  EXPECT_EQ(u.lengthUnit, KALOT_LENGTH_IN);
  EXPECT_EQ(u.inertiaUnit, KALOT_INERTIA_SLUG_IN2);
  EXPECT_EQ(u.inertiaFactor, 1.0);  // the oz factor does not carry over
  EXPECT_EQ(u.sAreaUnit, KALOT_SAREA_IN2);
  u.set(static_cast<KalotMassUnit>(6), static_cast<KalotLengthUnit>(8));
  EXPECT_EQ(u.inertiaUnit, -1);
  EXPECT_EQ(u.sAreaUnit, -1);
  EXPECT_EQ(u.volUnit, -1);
}

TEST(CadUnit, DefaultIsKgAndMetreAndShared) {
  CadUnit* def = kalo_toolkit::s_getDefaultCadUnit();
  ASSERT_NE(def, nullptr);
  EXPECT_EQ(def, kalo_toolkit::s_getDefaultCadUnit());
  EXPECT_EQ(def->massUnit, KALOT_MASS_KG);
  EXPECT_EQ(def->lengthUnit, KALOT_LENGTH_M);
  EXPECT_EQ(def->inertiaUnit, KALOT_INERTIA_KG_M2);  // derived, not just stored
  EXPECT_EQ(def->volUnit, KALOT_VOL_M3);
  def->set(KALOT_MASS_G, KALOT_LENGTH_MM);
  EXPECT_EQ(kalo_toolkit::s_getDefaultCadUnit()->inertiaFactor, 0.01);
  def->set(KALOT_MASS_KG, KALOT_LENGTH_M);
}
