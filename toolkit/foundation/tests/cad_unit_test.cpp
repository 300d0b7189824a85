#include <gtest/gtest.h>

#include <kalo_toolkit/cad_unit.hpp>

using kalo_toolkit::CadUnit;

namespace {

struct Expected {
  KalotMassUnit mass;
  KalotLengthUnit length;
  int inertia;
  double factor;
};

}  // namespace

// Every mass and length pair of the derivation, with the factor that turns an
// inertia in mass * length^2 into the derived inertia unit.
TEST(CadUnit, InertiaFactorTable) {
  const KalotMassUnit kg = KALOT_MASS_KG, g = KALOT_MASS_G, mg = KALOT_MASS_MG, lbm = KALOT_MASS_LBM,
                      oz = KALOT_MASS_OZ, slug = KALOT_MASS_SLUG;
  const KalotLengthUnit m = KALOT_LENGTH_M, cm = KALOT_LENGTH_CM, mm = KALOT_LENGTH_MM, km = KALOT_LENGTH_KM,
                        in = KALOT_LENGTH_IN, ft = KALOT_LENGTH_FT, mi = KALOT_LENGTH_MI,
                        yd = KALOT_LENGTH_YD;
  const Expected table[] = {
      {kg, m, 1, 1.0},
      {kg, cm, 1, 0.0001},
      {kg, mm, 1, 1e-6},
      {kg, km, 1, 1e6},
      {kg, in, 1, 0.00064516},
      {kg, ft, 1, 0.09290304},
      {kg, mi, 1, 2589988.11},
      {kg, yd, 1, 0.83612736},
      {g, m, 0, 10000},
      {g, cm, 0, 1},
      {g, mm, 0, 0.01},
      {g, km, 0, 1e10},
      {g, in, 0, 6.4516},
      {g, ft, 0, 929.0304},
      {g, mi, 0, 25899881100.0},
      {g, yd, 0, 8361.2736},
      {mg, m, 0, 10},
      {mg, cm, 0, 0.001},
      {mg, mm, 0, 0.00001},
      {mg, yd, 0, 8.3612736},
      {lbm, m, 5, 10.7639104},
      {lbm, cm, 5, 0.00107639104},
      {lbm, mm, 5, 1.07639104e-5},
      {lbm, km, 5, 10763910.4},
      {lbm, in, 4, 1},
      {lbm, ft, 5, 1},
      {lbm, mi, 5, 27878400},
      {lbm, yd, 5, 9},
      {oz, in, 4, 0.0625},
      {oz, ft, 5, 0.0625},
      {oz, m, 5, 0.0625 * 10.7639104},
      {oz, yd, 5, 0.5625},
      {slug, in, 2, 1},
      {slug, ft, 3, 1},
      {slug, m, 3, 10.7639104},
      {slug, mi, 3, 27878400},
  };
  for (const Expected& e : table) {
    const CadUnit u(e.mass, e.length);
    SCOPED_TRACE(testing::Message() << "mass " << e.mass << " length " << e.length);
    EXPECT_EQ(u.inertiaUnit, e.inertia);
    EXPECT_DOUBLE_EQ(u.inertiaFactor, e.factor);
    EXPECT_EQ(u.sAreaUnit, static_cast<int>(e.length));
    EXPECT_EQ(u.volUnit, static_cast<int>(e.length));
  }
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
  EXPECT_EQ(def->inertiaUnit, KALOT_INERTIA_KG_M2);
  EXPECT_EQ(def->inertiaFactor, 1.0);
  EXPECT_EQ(def->sAreaUnit, KALOT_SAREA_M2);
  EXPECT_EQ(def->volUnit, KALOT_VOL_M3);
  def->set(KALOT_MASS_G, KALOT_LENGTH_MM);
  EXPECT_EQ(kalo_toolkit::s_getDefaultCadUnit()->inertiaFactor, 0.01);
  def->set(KALOT_MASS_KG, KALOT_LENGTH_M);
}
