/* Plain C types shared by the toolkit and the plug-in C interface. Every
 * enumeration is a 32-bit signed integer so it can cross the C boundary
 * unchanged; -1 never names an enumerator. */
#ifndef KALO_TOOLKIT_KALOT_TYPES_H
#define KALO_TOOLKIT_KALOT_TYPES_H

#include <stdint.h>

/* In C++ the enumerations get a fixed 32-bit underlying type, so that the
 * value -1 (unknown text) is a valid value of every enumeration type. */
#ifdef __cplusplus
#define KALOT_ENUM(name) enum name : int32_t
#else
#define KALOT_ENUM(name) enum name
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef KALOT_ENUM(KalotMassUnit) {
  KALOT_MASS_KG = 0,
  KALOT_MASS_G = 1,
  KALOT_MASS_MG = 2,
  KALOT_MASS_LBM = 3,
  KALOT_MASS_OZ = 4,
  KALOT_MASS_SLUG = 5
} KalotMassUnit;

typedef KALOT_ENUM(KalotLengthUnit) {
  KALOT_LENGTH_M = 0,
  KALOT_LENGTH_CM = 1,
  KALOT_LENGTH_MM = 2,
  KALOT_LENGTH_KM = 3,
  KALOT_LENGTH_IN = 4,
  KALOT_LENGTH_FT = 5,
  KALOT_LENGTH_MI = 6,
  KALOT_LENGTH_YD = 7
} KalotLengthUnit;

/* Area and volume units share the numbering of the length units. */
typedef KALOT_ENUM(KalotSAreaUnit) {
  KALOT_SAREA_M2 = 0,
  KALOT_SAREA_CM2 = 1,
  KALOT_SAREA_MM2 = 2,
  KALOT_SAREA_KM2 = 3,
  KALOT_SAREA_IN2 = 4,
  KALOT_SAREA_FT2 = 5,
  KALOT_SAREA_MI2 = 6,
  KALOT_SAREA_YD2 = 7
} KalotSAreaUnit;

typedef KALOT_ENUM(KalotVolUnit) {
  KALOT_VOL_M3 = 0,
  KALOT_VOL_CM3 = 1,
  KALOT_VOL_MM3 = 2,
  KALOT_VOL_KM3 = 3,
  KALOT_VOL_IN3 = 4,
  KALOT_VOL_FT3 = 5,
  KALOT_VOL_MI3 = 6,
  KALOT_VOL_YD3 = 7
} KalotVolUnit;

/* Note: the inertia numbering does not follow the mass numbering. */
typedef KALOT_ENUM(KalotInertiaUnit) {
  KALOT_INERTIA_G_CM2 = 0,
  KALOT_INERTIA_KG_M2 = 1,
  KALOT_INERTIA_SLUG_IN2 = 2,
  KALOT_INERTIA_SLUG_FT2 = 3,
  KALOT_INERTIA_LBM_IN2 = 4,
  KALOT_INERTIA_LBM_FT2 = 5
} KalotInertiaUnit;

typedef KALOT_ENUM(KalotAngleUnit) { KALOT_ANGLE_RAD = 0, KALOT_ANGLE_DEG = 1, KALOT_ANGLE_REV = 2 } KalotAngleUnit;

typedef KALOT_ENUM(KalotRotType) {
  KALOT_ROT_QUATERNION = 0,
  KALOT_ROT_3X3 = 1,
  KALOT_ROT_EULER_XYX = 2,
  KALOT_ROT_EULER_XYZ = 3,
  KALOT_ROT_EULER_XZX = 4,
  KALOT_ROT_EULER_XZY = 5,
  KALOT_ROT_EULER_YXY = 6,
  KALOT_ROT_EULER_YZY = 7,
  KALOT_ROT_EULER_YXZ = 8,
  KALOT_ROT_EULER_YZX = 9,
  KALOT_ROT_EULER_ZXY = 10,
  KALOT_ROT_EULER_ZXZ = 11,
  KALOT_ROT_EULER_ZYX = 12,
  KALOT_ROT_EULER_ZYZ = 13
} KalotRotType;

/* Value 0 means an unknown joint kind. A weld (7) is written as "SimpleJoint". */
typedef KALOT_ENUM(KalotJointType) {
  KALOT_JOINT_UNKNOWN = 0,
  KALOT_JOINT_SIMPLE = 1,
  KALOT_JOINT_MASSLESS_CONNECTOR = 2,
  KALOT_JOINT_MASSLESS_CONNECTOR_RR = 3,
  KALOT_JOINT_MASSLESS_CONNECTOR_RS = 4,
  KALOT_JOINT_MASSLESS_CONNECTOR_SS = 5,
  KALOT_JOINT_MASSLESS_CONNECTOR_PS = 6,
  KALOT_JOINT_WELD = 7
} KalotJointType;

typedef KALOT_ENUM(KalotPrimType) {
  KALOT_PRIM_UNKNOWN = 0,
  KALOT_PRIM_WELD = 1,
  KALOT_PRIM_PRISMATIC = 2,
  KALOT_PRIM_REVOLUTE = 3,
  KALOT_PRIM_SPHERICAL = 4
} KalotPrimType;

typedef KALOT_ENUM(KalotError) {
  KALOT_SUCCESS = 0,
  KALOT_GENERIC_FAILURE = 1,
  KALOT_CAD_MODEL_NOT_SET = 2,
  KALOT_XML_READ_ERROR = 3,
  KALOT_UNHANDLED_CONSTRAINT = 4,
  KALOT_INVALID_CON_COMPS = 5,
  KALOT_UNSUPPORTED_INERTIA_UNITS = 6,
  KALOT_HOST_UNREACHABLE = 7
} KalotError;

/* Kind of a mating constraint and of the geometry on each of its sides;
 * plain integer codes interpreted only by the constraint-to-joint inference. */
typedef int32_t KalotConstrainType;
typedef int32_t KalotGeomType;

/* Visual material: nine 64-bit floats in this order. */
typedef struct kalot_vis_mat_prop {
  double color[3];
  double ambient;
  double diffuse;
  double specular;
  double shininess;
  double transparency;
  double emission;
} kalot_vis_mat_prop;

#ifdef __cplusplus
}
#endif

#endif /* KALO_TOOLKIT_KALOT_TYPES_H */
