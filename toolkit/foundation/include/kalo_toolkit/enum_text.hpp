#pragma once

#include <string>

#include <kalo_toolkit/kalot_types.h>
#include <kalo_toolkit/export.hpp>

// Two-way text forms of the enumerations. Matching is exact (case-sensitive,
// no trimming). Unknown text gives -1, or 0 for joint and primitive types;
// a value without text gives empty text.
namespace kalo_toolkit::util {

KALO_TOOLKIT_API KalotMassUnit fromStrToMassUnit(const std::string& text);
KALO_TOOLKIT_API KalotLengthUnit fromStrToLengthUnit(const std::string& text);
KALO_TOOLKIT_API KalotInertiaUnit fromStrToInertiaUnit(const std::string& text);
KALO_TOOLKIT_API KalotSAreaUnit fromStrToSAreaUnit(const std::string& text);
KALO_TOOLKIT_API KalotVolUnit fromStrToVolUnit(const std::string& text);
KALO_TOOLKIT_API KalotAngleUnit fromStrToAngleUnit(const std::string& text);
KALO_TOOLKIT_API KalotRotType fromStrToRotType(const std::string& text);
KALO_TOOLKIT_API KalotJointType fromStrToJointType(const std::string& text);
KALO_TOOLKIT_API KalotPrimType fromStrToPrimType(const std::string& text);

KALO_TOOLKIT_API std::string fromMassUnitToStr(KalotMassUnit value);
KALO_TOOLKIT_API std::string fromLengthUnitToStr(KalotLengthUnit value);
KALO_TOOLKIT_API std::string fromInertiaUnitToStr(KalotInertiaUnit value);
KALO_TOOLKIT_API std::string fromSAreaUnitToStr(KalotSAreaUnit value);
KALO_TOOLKIT_API std::string fromVolUnitToStr(KalotVolUnit value);
KALO_TOOLKIT_API std::string fromAngleUnitToStr(KalotAngleUnit value);
KALO_TOOLKIT_API std::string fromRotTypeToStr(KalotRotType value);
/// Value 7 (weld) gives "SimpleJoint"; "Weld" is accepted on input only.
KALO_TOOLKIT_API std::string fromJointTypeToStr(KalotJointType value);
KALO_TOOLKIT_API std::string fromPrimTypeToStr(KalotPrimType value);
/// "Unknown Error" for a value outside the table (7 included); "" for 0.
KALO_TOOLKIT_API std::string fromErrorToStr(KalotError value);

}  // namespace kalo_toolkit::util
