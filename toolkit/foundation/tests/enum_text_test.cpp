#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <kalo_toolkit/enum_text.hpp>

using namespace kalo_toolkit::util;

namespace {

// Checks a table both ways: every value gives its text and that text reads back
// as the value.
template <typename E>
void expectTable(const std::vector<std::string>& texts, E (*toValue)(const std::string&),
                 std::string (*toText)(E), int first = 0) {
  for (size_t i = 0; i < texts.size(); ++i) {
    const E value = static_cast<E>(first + static_cast<int>(i));
    EXPECT_EQ(toText(value), texts[i]) << "value " << first + i;
    EXPECT_EQ(toValue(texts[i]), value) << texts[i];
  }
}

}  // namespace

TEST(EnumText, UnitTablesBothWays) {
  expectTable<KalotMassUnit>({"kg", "g", "mg", "lbm", "oz", "slug"}, fromStrToMassUnit, fromMassUnitToStr);
  expectTable<KalotLengthUnit>({"m", "cm", "mm", "km", "in", "ft", "mi", "yd"}, fromStrToLengthUnit,
                               fromLengthUnitToStr);
  expectTable<KalotSAreaUnit>({"m^2", "cm^2", "mm^2", "km^2", "in^2", "ft^2", "mi^2", "yd^2"},
                              fromStrToSAreaUnit, fromSAreaUnitToStr);
  expectTable<KalotVolUnit>({"m^3", "cm^3", "mm^3", "km^3", "in^3", "ft^3", "mi^3", "yd^3"}, fromStrToVolUnit,
                            fromVolUnitToStr);
  // The inertia numbering does not follow the mass numbering.
  expectTable<KalotInertiaUnit>({"g*cm^2", "kg*m^2", "slug*in^2", "slug*ft^2", "lbm*in^2", "lbm*ft^2"},
                                fromStrToInertiaUnit, fromInertiaUnitToStr);
  expectTable<KalotAngleUnit>({"rad", "deg", "rev"}, fromStrToAngleUnit, fromAngleUnitToStr);
}

TEST(EnumText, RotationTypesKeepTheYGroupOrder) {
  expectTable<KalotRotType>({"Quaternion", "3x3 Transform", "Euler X-Y-X", "Euler X-Y-Z", "Euler X-Z-X",
                             "Euler X-Z-Y", "Euler Y-X-Y", "Euler Y-Z-Y", "Euler Y-X-Z", "Euler Y-Z-X",
                             "Euler Z-X-Y", "Euler Z-X-Z", "Euler Z-Y-X", "Euler Z-Y-Z"},
                            fromStrToRotType, fromRotTypeToStr);
}

TEST(EnumText, MatchingIsExact) {
  EXPECT_EQ(fromStrToLengthUnit("yd"), KALOT_LENGTH_YD);
  EXPECT_EQ(fromStrToLengthUnit("YD"), -1);
  EXPECT_EQ(fromStrToMassUnit("KG"), -1);
  EXPECT_EQ(fromStrToMassUnit(" kg"), -1);
  EXPECT_EQ(fromStrToMassUnit("kg "), -1);
  EXPECT_EQ(fromStrToMassUnit(""), -1);
  EXPECT_EQ(fromStrToInertiaUnit("kg*m^2 "), -1);
  EXPECT_EQ(fromStrToSAreaUnit("m"), -1);
  EXPECT_EQ(fromStrToVolUnit("m^2"), -1);
  EXPECT_EQ(fromStrToAngleUnit("Deg"), -1);
  EXPECT_EQ(fromStrToRotType("Euler X-Y-Z "), -1);
  EXPECT_EQ(fromStrToJointType("simplejoint"), KALOT_JOINT_UNKNOWN);
  EXPECT_EQ(fromStrToPrimType("Revolute"), KALOT_PRIM_UNKNOWN);
  std::string text = "kg";
  fromStrToMassUnit(text);
  EXPECT_EQ(text, "kg");
}

TEST(EnumText, ValuesWithoutTextGiveEmptyText) {
  EXPECT_EQ(fromMassUnitToStr(static_cast<KalotMassUnit>(6)), "");
  EXPECT_EQ(fromMassUnitToStr(static_cast<KalotMassUnit>(-1)), "");
  EXPECT_EQ(fromLengthUnitToStr(static_cast<KalotLengthUnit>(8)), "");
  EXPECT_EQ(fromInertiaUnitToStr(static_cast<KalotInertiaUnit>(-1)), "");
  EXPECT_EQ(fromSAreaUnitToStr(static_cast<KalotSAreaUnit>(-1)), "");
  EXPECT_EQ(fromVolUnitToStr(static_cast<KalotVolUnit>(8)), "");
  EXPECT_EQ(fromAngleUnitToStr(static_cast<KalotAngleUnit>(3)), "");
  EXPECT_EQ(fromRotTypeToStr(static_cast<KalotRotType>(14)), "");
  EXPECT_EQ(fromJointTypeToStr(KALOT_JOINT_UNKNOWN), "");
  EXPECT_EQ(fromJointTypeToStr(static_cast<KalotJointType>(8)), "");
  EXPECT_EQ(fromPrimTypeToStr(KALOT_PRIM_UNKNOWN), "");
  EXPECT_EQ(fromPrimTypeToStr(static_cast<KalotPrimType>(9)), "");
}

// Joint types are read with "Weld" but written as "SimpleJoint"; primitive types are lower case.
TEST(EnumText, JointAndPrimitiveTypes) {
  expectTable<KalotJointType>({"SimpleJoint", "MasslessConnector", "MasslessConnectorRR",
                               "MasslessConnectorRS", "MasslessConnectorSS", "MasslessConnectorPS"},
                              fromStrToJointType, fromJointTypeToStr, 1);
  EXPECT_EQ(fromStrToJointType("Weld"), KALOT_JOINT_WELD);
  EXPECT_EQ(fromJointTypeToStr(KALOT_JOINT_WELD), "SimpleJoint");
  EXPECT_EQ(fromStrToJointType("weld"), KALOT_JOINT_UNKNOWN);
  expectTable<KalotPrimType>({"weld", "prismatic", "revolute", "spherical"}, fromStrToPrimType,
                             fromPrimTypeToStr, 1);
  EXPECT_EQ(fromStrToPrimType("Weld"), KALOT_PRIM_UNKNOWN);
}

TEST(EnumText, ErrorTexts) {
  EXPECT_EQ(fromErrorToStr(KALOT_SUCCESS), "");
  EXPECT_EQ(fromErrorToStr(KALOT_GENERIC_FAILURE), "Generic Failure");
  EXPECT_EQ(fromErrorToStr(KALOT_CAD_MODEL_NOT_SET), "CAD model not set");
  EXPECT_EQ(fromErrorToStr(KALOT_XML_READ_ERROR), "XML Read error");
  EXPECT_EQ(fromErrorToStr(KALOT_UNHANDLED_CONSTRAINT), "Unhandled constraint");
  EXPECT_EQ(fromErrorToStr(KALOT_INVALID_CON_COMPS), "Invalid con comps");
  EXPECT_EQ(fromErrorToStr(KALOT_UNSUPPORTED_INERTIA_UNITS), "Unsupported inertia units");
  EXPECT_EQ(fromErrorToStr(KALOT_HOST_UNREACHABLE), "Unknown Error");
  EXPECT_EQ(fromErrorToStr(static_cast<KalotError>(-1)), "Unknown Error");
}
