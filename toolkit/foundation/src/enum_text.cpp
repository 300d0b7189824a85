#include <kalo_toolkit/enum_text.hpp>

#include <map>
#include <string>

namespace kalo_toolkit::util {

namespace {

// Value and text tables of one enumeration, both directions.
template <typename E>
struct TextMap {
  std::map<std::string, E> toValue;
  std::map<E, std::string> toText;

  void add(E value, const char* text) {
    toValue.emplace(text, value);
    toText.emplace(value, text);
  }
  E value(const std::string& text, E unknown) const {
    auto it = toValue.find(text);
    return it == toValue.end() ? unknown : it->second;
  }
  std::string text(E value) const {
    auto it = toText.find(value);
    return it == toText.end() ? std::string() : it->second;
  }
};

constexpr const char* kLengthTexts[] = {"m", "cm", "mm", "km", "in", "ft", "mi", "yd"};

// The unit, angle, rotation and error tables. Built on first call so that a
// lookup from another file's static initialiser is safe, and forced at library
// load by kFilledAtLoad below: afterwards they are only read.
const TextMap<KalotMassUnit>& massUnits() {
  static const TextMap<KalotMassUnit> map = [] {
    TextMap<KalotMassUnit> m;
    const char* texts[] = {"kg", "g", "mg", "lbm", "oz", "slug"};
    for (int i = 0; i < 6; ++i) m.add(static_cast<KalotMassUnit>(i), texts[i]);
    return m;
  }();
  return map;
}

const TextMap<KalotInertiaUnit>& inertiaUnits() {
  static const TextMap<KalotInertiaUnit> map = [] {
    TextMap<KalotInertiaUnit> m;
    const char* texts[] = {"g*cm^2", "kg*m^2", "slug*in^2", "slug*ft^2", "lbm*in^2", "lbm*ft^2"};
    for (int i = 0; i < 6; ++i) m.add(static_cast<KalotInertiaUnit>(i), texts[i]);
    return m;
  }();
  return map;
}

// Length, area and volume share their numbering; area and volume add "^2", "^3".
template <typename E>
TextMap<E> lengthLike(const char* suffix) {
  TextMap<E> m;
  for (int i = 0; i < 8; ++i) m.add(static_cast<E>(i), (std::string(kLengthTexts[i]) + suffix).c_str());
  return m;
}

const TextMap<KalotLengthUnit>& lengthUnits() {
  static const TextMap<KalotLengthUnit> map = lengthLike<KalotLengthUnit>("");
  return map;
}

const TextMap<KalotSAreaUnit>& sAreaUnits() {
  static const TextMap<KalotSAreaUnit> map = lengthLike<KalotSAreaUnit>("^2");
  return map;
}

const TextMap<KalotVolUnit>& volUnits() {
  static const TextMap<KalotVolUnit> map = lengthLike<KalotVolUnit>("^3");
  return map;
}

const TextMap<KalotAngleUnit>& angleUnits() {
  static const TextMap<KalotAngleUnit> map = [] {
    TextMap<KalotAngleUnit> m;
    m.add(KALOT_ANGLE_RAD, "rad");
    m.add(KALOT_ANGLE_DEG, "deg");
    m.add(KALOT_ANGLE_REV, "rev");
    return m;
  }();
  return map;
}

const TextMap<KalotRotType>& rotTypes() {
  static const TextMap<KalotRotType> map = [] {
    TextMap<KalotRotType> m;
    // The Y group is not in alphabetical order.
    const char* texts[] = {"Quaternion",  "3x3 Transform", "Euler X-Y-X", "Euler X-Y-Z", "Euler X-Z-X",
                           "Euler X-Z-Y", "Euler Y-X-Y",   "Euler Y-Z-Y", "Euler Y-X-Z", "Euler Y-Z-X",
                           "Euler Z-X-Y", "Euler Z-X-Z",   "Euler Z-Y-X", "Euler Z-Y-Z"};
    for (int i = 0; i < 14; ++i) m.add(static_cast<KalotRotType>(i), texts[i]);
    return m;
  }();
  return map;
}

const std::map<KalotError, std::string>& errorTexts() {
  static const std::map<KalotError, std::string> map = {
      {KALOT_SUCCESS, ""},
      {KALOT_GENERIC_FAILURE, "Generic Failure"},
      {KALOT_CAD_MODEL_NOT_SET, "CAD model not set"},
      {KALOT_XML_READ_ERROR, "XML Read error"},
      {KALOT_UNHANDLED_CONSTRAINT, "Unhandled constraint"},
      {KALOT_INVALID_CON_COMPS, "Invalid con comps"},
      {KALOT_UNSUPPORTED_INERTIA_UNITS, "Unsupported inertia units"},
  };
  return map;
}

[[maybe_unused]] const bool kFilledAtLoad = [] {
  massUnits();
  inertiaUnits();
  lengthUnits();
  sAreaUnits();
  volUnits();
  angleUnits();
  rotTypes();
  errorTexts();
  return true;
}();

const char* const kJointTexts[] = {"SimpleJoint",         "MasslessConnector",   "MasslessConnectorRR",
                                   "MasslessConnectorRS", "MasslessConnectorSS", "MasslessConnectorPS"};
const char* const kPrimTexts[] = {"weld", "prismatic", "revolute", "spherical"};

// Joint and primitive tables are filled on first use, each by its own lookup,
// as function-local statics, so that threads reading files at once fill them once.
// Value 7 (weld) is written "SimpleJoint"; "Weld" is an input-only text.
const std::map<std::string, KalotJointType>& jointTypeValues() {
  static const std::map<std::string, KalotJointType> map = [] {
    std::map<std::string, KalotJointType> m;
    for (int i = 0; i < 6; ++i) m.emplace(kJointTexts[i], static_cast<KalotJointType>(i + 1));
    m.emplace("Weld", KALOT_JOINT_WELD);
    return m;
  }();
  return map;
}
const std::map<KalotJointType, std::string>& jointTypeTexts() {
  static const std::map<KalotJointType, std::string> map = [] {
    std::map<KalotJointType, std::string> m;
    for (int i = 0; i < 6; ++i) m.emplace(static_cast<KalotJointType>(i + 1), kJointTexts[i]);
    m.emplace(KALOT_JOINT_WELD, "SimpleJoint");
    return m;
  }();
  return map;
}
const std::map<std::string, KalotPrimType>& primTypeValues() {
  static const std::map<std::string, KalotPrimType> map = [] {
    std::map<std::string, KalotPrimType> m;
    for (int i = 0; i < 4; ++i) m.emplace(kPrimTexts[i], static_cast<KalotPrimType>(i + 1));
    return m;
  }();
  return map;
}
const std::map<KalotPrimType, std::string>& primTypeTexts() {
  static const std::map<KalotPrimType, std::string> map = [] {
    std::map<KalotPrimType, std::string> m;
    for (int i = 0; i < 4; ++i) m.emplace(static_cast<KalotPrimType>(i + 1), kPrimTexts[i]);
    return m;
  }();
  return map;
}

}  // namespace

KalotMassUnit fromStrToMassUnit(const std::string& text) {
  return massUnits().value(text, static_cast<KalotMassUnit>(-1));
}
KalotLengthUnit fromStrToLengthUnit(const std::string& text) {
  return lengthUnits().value(text, static_cast<KalotLengthUnit>(-1));
}
KalotInertiaUnit fromStrToInertiaUnit(const std::string& text) {
  return inertiaUnits().value(text, static_cast<KalotInertiaUnit>(-1));
}
KalotSAreaUnit fromStrToSAreaUnit(const std::string& text) {
  return sAreaUnits().value(text, static_cast<KalotSAreaUnit>(-1));
}
KalotVolUnit fromStrToVolUnit(const std::string& text) {
  return volUnits().value(text, static_cast<KalotVolUnit>(-1));
}
KalotAngleUnit fromStrToAngleUnit(const std::string& text) {
  return angleUnits().value(text, static_cast<KalotAngleUnit>(-1));
}
KalotRotType fromStrToRotType(const std::string& text) {
  return rotTypes().value(text, static_cast<KalotRotType>(-1));
}

KalotJointType fromStrToJointType(const std::string& text) {
  auto& map = jointTypeValues();
  auto it = map.find(text);
  return it == map.end() ? KALOT_JOINT_UNKNOWN : it->second;
}

KalotPrimType fromStrToPrimType(const std::string& text) {
  auto& map = primTypeValues();
  auto it = map.find(text);
  return it == map.end() ? KALOT_PRIM_UNKNOWN : it->second;
}

std::string fromMassUnitToStr(KalotMassUnit value) { return massUnits().text(value); }
std::string fromLengthUnitToStr(KalotLengthUnit value) { return lengthUnits().text(value); }
std::string fromInertiaUnitToStr(KalotInertiaUnit value) { return inertiaUnits().text(value); }
std::string fromSAreaUnitToStr(KalotSAreaUnit value) { return sAreaUnits().text(value); }
std::string fromVolUnitToStr(KalotVolUnit value) { return volUnits().text(value); }
std::string fromAngleUnitToStr(KalotAngleUnit value) { return angleUnits().text(value); }
std::string fromRotTypeToStr(KalotRotType value) { return rotTypes().text(value); }

std::string fromJointTypeToStr(KalotJointType value) {
  auto& map = jointTypeTexts();
  auto it = map.find(value);
  return it == map.end() ? std::string() : it->second;
}

std::string fromPrimTypeToStr(KalotPrimType value) {
  auto& map = primTypeTexts();
  auto it = map.find(value);
  return it == map.end() ? std::string() : it->second;
}

std::string fromErrorToStr(KalotError value) {
  auto it = errorTexts().find(value);
  return it == errorTexts().end() ? std::string("Unknown Error") : it->second;
}

}  // namespace kalo_toolkit::util
