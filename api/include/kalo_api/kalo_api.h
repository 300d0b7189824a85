/* kalo_api: the C interface a CAD export plug-in calls to describe an
 * assembly and have it converted into a multibody XML file.
 *
 * Every function returns a KalotError code (kalot_types.h): 0 success; 1 a
 * refused argument (null text or pointer, a handle of the wrong kind, a number
 * out of range) or an error caught inside, and a creating function then sets
 * *out to null and creates nothing; other codes as stated per call. Objects
 * are handed out as opaque handles (a heap box holding one share of the
 * object); release every handle with kalot_release_object. Linking an object
 * into another shares it, so a handle may be released as soon as its object
 * is linked. Texts are zero-terminated and copied; arrays are read at once
 * (rotations 9 values column by column, points and directions 3, inertia 6).
 * Every number handed in must be finite: a NaN or an infinity (in a mass,
 * inertia, centre of gravity, volume, area, material, rotation, translation,
 * scale, location or axis) gives 1 and creates nothing. A number the
 * conversion computes beyond the finite range makes kalot_write_xml return 3
 * without leaving a file.
 *
 * Threads. Plug-ins may build and convert different assemblies on different
 * threads at once; objects linked into one assembly, and one converter, are
 * used by one thread at a time.
 * - Process-wide: the unit system (kalot_set_units), which every conversion
 *   reads, so set it before conversions start and not while one runs; and
 *   the one host-engine session, whose every use is serialised by a lock.
 * - Per conversion: the tolerances of kalot_set_tolerances belong to their
 *   converter and are in force only on the thread running its conversion,
 *   for as long as it runs; conversions on other threads keep their own.
 * Files are written through a uniquely named temporary file beside the
 * target (through a symbolic link: beside the file it finally names) that
 * replaces it only when complete, so concurrent writes to one path leave one
 * writer's whole file.
 *
 * Units: masses, lengths and everything derived from them (inertia in
 * mass x length^2, volume, area, positions) are in the unit system of
 * kalot_set_units (default kg and m); rotations are orthonormal 3x3 matrices.
 *
 * Mates. A constraint ties one geometric entity of each of two parts (a
 * point, the axis of a line, the normal of a plane, the axis of a cylinder,
 * cone or circle, each given by a location and an axis in the part's own
 * coordinates). The converter groups the constraints by pair of parts and
 * infers one joint per pair from what they leave free; some common sets:
 *
 *   mate set between two parts                          joint
 *   COINCIDENT point-point                              spherical
 *   COINCIDENT plane-plane                              planar (2 prismatic + revolute)
 *   COINCIDENT line-line, or CONCENTRIC cylinder-cyl.   cylindrical (prismatic + revolute)
 *   CONCENTRIC cylinder-cylinder + COINCIDENT           revolute about the cylinder axis
 *     plane-plane (planes normal to the axis)
 *   COINCIDENT circle-circle                            revolute about the circle axis
 *   COINCIDENT line-line + PARALLEL plane-plane         prismatic along the line
 *     (planes parallel to the line)
 *   DISTANCE point-point (alone)                        massless connector (spherical at both ends)
 *   LOCK (any geometry)                                 weld
 *
 * A set that leaves motion no single joint expresses (two rotations, say)
 * welds the pair; kalot_write_xml then returns 4 with the reason in words. */
#ifndef KALO_API_KALO_API_H
#define KALO_API_KALO_API_H

#include <stddef.h>

#include <kalo_toolkit/kalot_types.h>

/* The library is built with hidden visibility; only these calls are exported. */
#define KALO_API __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

/* Constraint types (KalotConstrainType) the joint inference knows. Other
 * values are accepted and passed through; the conversion welds their pair and
 * names each such constraint in its notes (kalot_get_conversion_notes). */
enum {
  KALOT_CONSTRAIN_COINCIDENT = 0,
  KALOT_CONSTRAIN_CONCENTRIC = 1,
  KALOT_CONSTRAIN_PERPENDICULAR = 2,
  KALOT_CONSTRAIN_PARALLEL = 3,
  KALOT_CONSTRAIN_TANGENT = 4,
  KALOT_CONSTRAIN_DISTANCE = 5,
  KALOT_CONSTRAIN_ANGLE = 6,
  KALOT_CONSTRAIN_LOCK = 7 /* a weld, whatever the geometry */
};

/* Geometry kinds (KalotGeomType) of a constraint side. Other values are
 * treated as other constraint types are. */
enum {
  KALOT_GEOM_POINT = 0,
  KALOT_GEOM_LINE = 1,
  KALOT_GEOM_PLANE = 2, /* axis: the normal */
  KALOT_GEOM_CYLINDER = 3,
  KALOT_GEOM_CONE = 4,
  KALOT_GEOM_CIRCLE = 5 /* axis: the normal of the circle's plane */
};

/* Unit system (process-wide), read when a conversion runs: call it before
 * kalot_write_xml. Results: 0; 6 when the mass value is outside 0..5, so the
 * pair gives no inertia unit (stored all the same; the conversion then
 * refuses it); 1 for a length value outside 0..7 (nothing stored). */
KALO_API int kalot_set_units(KalotMassUnit mass, KalotLengthUnit length);

/* CAD definitions and placed references. */

/* A part or sub-assembly definition. mass >= 0; inertia: 6 values Ixx, Iyy,
 * Izz, Ixy, Ixz, Iyz (the tensor's rows (Ixx Ixy Ixz), (Ixy Iyy Iyz),
 * (Ixz Iyz Izz)) in mass x length^2, about the centre of gravity, in the
 * definition's axes; cg: 3 values, the centre of gravity in the definition's
 * coordinates; volume >= 0 and surfaceArea >= 0 in length^3 and length^2. A
 * sub-assembly placed rigidly (not flexible) becomes one body with exactly
 * these values, so give it the combined properties of its parts.
 * geometryFileName: the part's mesh file as the simulator export should find
 * it (may be empty); material may be null. Results: 0; 1 for a null text or
 * array, a negative mass, volume or area, or a number that is not finite. */
KALO_API int kalot_create_cadmodel(void** out, const char* name, double mass, const double* inertia,
                                   const double* cg, double volume, double surfaceArea,
                                   const char* geometryFileName, const kalot_vis_mat_prop* material);
/* Replaces the geometry file name. 0; 1 for a null name or a handle that is no definition. */
KALO_API int kalot_cadmodel_setfilename(void* model, const char* geometryFileName);
/* A placed use of `model`. name: the reference's name, which component paths
 * use; nodeID: the CAD system's own identifier of the placement (any text,
 * copied into the multibody objects made for it, e.g. "/Arm/Link"). The
 * placement maps a point p of the model into the parent as
 * scale * (rotation . p) + translation (rotation 9 values column by column,
 * translation in length units, scale uniform: the converter scales
 * inertia by scale^2, volume by scale^3, area by scale^2, never the mass).
 * flexible != 0: a sub-assembly whose parts move against each other (its own
 * constraints give the joints) instead of one rigid body; ignored for a part.
 * fixed != 0: welded to the assembly it is placed in (for the top assembly:
 * the ground). material may be null (the definition's is used).
 * Results: 0; 1 for a null text or array, a number that is not finite or a
 * model handle that holds no definition. */
KALO_API int kalot_create_cadmodelref(void** out, const char* name, const char* nodeID, void* model,
                                      const double* rotation, const double* translation, double scale,
                                      int flexible, int fixed, const kalot_vis_mat_prop* material);
/* Appends the reference to the parent definition. 0; 1 when the definition
 * would place itself, directly or through a constraint, or a handle is of
 * the wrong kind. */
KALO_API int kalot_add_refincadmodel(void* parentModel, void* ref);
/* Write 0 or 1 to *out. 0; 1 for a null out (nothing written) or a handle that is no reference. */
KALO_API int kalot_get_refflexibleflag(int* out, void* ref);
KALO_API int kalot_get_reffixedflag(int* out, void* ref);
/* Store value != 0. 0; 1 for a handle that is no reference. */
KALO_API int kalot_set_refflexibleflag(void* ref, int value);
KALO_API int kalot_set_reffixedflag(void* ref, int value);
/* A new handle sharing the reference's definition; on failure (1) *out is left as it was. */
KALO_API int kalot_cadmodelref_getcadmodel(void** out, void* ref);
/* A named coordinate system of a definition (scale 1): rotation 9 values column by
 * column, translation 3, in the definition's coordinates; nodeID as for a reference.
 * The converter attaches it as a frame to the body the definition becomes.
 * 0; 1 for a null text or array or a number that is not finite. */
KALO_API int kalot_create_cadcs(void** out, const char* name, const char* nodeID, const double* rotation,
                                const double* translation);
/* Appends the coordinate system to the definition. 0; 1 for handles of the wrong kind. */
KALO_API int kalot_add_cadcs(void* model, void* cs);

/* Assembly components and constraints. A component names one placed part as
 * the path of references that leads to it from an assembly, outermost first. */

/* A new component without references. 0; 1 for a null out. */
KALO_API int kalot_create_assemcomp(void** out);
/* Appends ref at the inner end of the component's path. 0; 1 for handles of the wrong kind. */
KALO_API int kalot_add_refincomp(void* comp, void* ref);
/* The component at `path`: the references' names (not their nodeIDs), from a
 * reference placed directly in topModel down to the part, joined by "/", with
 * no leading or trailing "/"; e.g. "Shoulder/UpperArm" is the reference
 * UpperArm inside the definition placed as Shoulder in topModel. The first
 * match in depth-first order wins. An unknown path returns 0 with an empty
 * handle (check it with kalot_assemcomp_is_empty). 1 for a null path or a
 * topModel that is no definition. */
KALO_API int kalot_create_assemcomp_fromstr(void** out, const char* path, void* topModel);
/* *out = 1 when the component names no part: a null or empty handle (an
 * unknown path), or a component without references; else 0. A constraint side
 * with such a component is taken against the frame of the assembly that
 * states the constraint. Results: 0; 1 for a null out or a handle of another kind. */
KALO_API int kalot_assemcomp_is_empty(void* comp, int* out);
/* A mate between entity 1 on comp1's part and entity 2 on comp2's part; type
 * and entity types as the KALOT_CONSTRAIN_ and KALOT_GEOM_ constants (others
 * are passed through, see above). Locations and axes (3 values each, all four
 * required) are in the coordinates of each side's own part. The components are
 * copied. A side whose component is null or empty is the assembly that states
 * the constraint. Results: 0; 5 when neither component is given (null or
 * empty handle; *out is left as it was); 1 for a null name or array or a
 * number that is not finite. */
KALO_API int kalot_create_constrain(void** out, const char* name, KalotConstrainType type, void* comp1,
                                    void* comp2, KalotGeomType entity1Type, KalotGeomType entity2Type,
                                    const double* entity1Location, const double* entity1Axis,
                                    const double* entity2Location, const double* entity2Axis);
/* Appends the constraint to the definition that states it (whose references
 * its component paths start from). 0; 1 when a component names a placement of
 * the definition itself, which would keep it alive for ever. */
KALO_API int kalot_add_constrain(void* model, void* constrain);

/* Drops the handle's share of its object and frees the handle; null does nothing. Always 0. */
KALO_API int kalot_release_object(void* handle);

/* Host environment: 0; 7 when the host engine cannot be reached (also for a
 * help topic or demo the engine does not run). kalot_open_help shows the
 * topic's help (null: the kalo help page). kalot_disconnectfrom_quorra always 0. */
KALO_API int kalot_connectto_quorra(void);
KALO_API int kalot_disconnectfrom_quorra(void);
KALO_API int kalot_open_help(const char* topic);
KALO_API int kalot_open_demo(void);

/* Conversion and output. */

/* A converter for the assembly topModel. The five texts are written into the
 * multibody file as given: createdUsing (the plug-in), createdFrom (the CAD
 * file), createdOn (the creation date, free text; e.g. "2026-12-08"),
 * createdBy, modelName (the top subsystem's name). 0; 1 for a null text. A
 * topModel that is no definition makes kalot_write_xml return 2. */
KALO_API int kalot_create_cad2zolt(void** out, void* topModel, const char* createdUsing,
                                   const char* createdFrom, const char* createdOn, const char* createdBy,
                                   const char* modelName);
/* The inference's tolerances, taken unchanged: tol1 linear (default 1e-5, in
 * length units: when two points coincide), tol2 angular (default 1e-5: the
 * sine of the largest angle at which two axes still count as parallel or
 * perpendicular), tol3 stored but unused (default 1e-12). Only the first
 * conversion (first kalot_write_xml) uses them, and only on the thread that
 * runs it (per conversion; see Threads above). 0; 1 for a handle that is no converter. */
KALO_API int kalot_set_tolerances(void* cad2zolt, double tol1, double tol2, double tol3);
/* Converts (first call only) and writes the multibody XML file. *messages is
 * set to null first, then to a new buffer (empty text unless the result is 4);
 * free it with kalot_release_buffer. Results: 0 written; 4 written, and some
 * mate sets were welded: the buffer holds one report block per welded pair
 * (parts, constraint, reason, then a line of 81 hyphens); 2 no CAD model;
 * 3 the file could not be written (the code's text reads "XML Read error"; a
 * partly written file may remain); 7 the host engine cannot be reached
 * (nothing converted or written; *messages stays null); 1 a null argument or
 * an error caught inside (*messages stays null). */
KALO_API int kalot_write_xml(char** messages, void* cad2zolt, const char* fileName);
/* The conversion's notes, one line each (empty text before the first
 * kalot_write_xml converted): every constraint side that names no part and
 * was taken against its assembly's frame, and every constraint or geometry
 * code outside the ranges above. *notes is set to a new buffer; free it with
 * kalot_release_buffer. 0; 1 for a null notes pointer or a handle that is no
 * converter (*notes then stays null). */
KALO_API int kalot_get_conversion_notes(char** notes, void* cad2zolt);
/* Frees *buffer (null: nothing) and sets it to null. Always 0. */
KALO_API int kalot_release_buffer(char** buffer);

/* Writes the CAD assembly below topModel as a CAD XML file (the input of
 * kalo-convert): definitions, placements, mates and materials, not the unit
 * system, coordinate systems, node IDs or placement scales. 0 written;
 * 1 for a null path or a topModel that is no definition; 3 the file could not
 * be written. */
KALO_API int kalot_write_cad_xml(void* topModel, const char* fileName);

#ifdef __cplusplus
}
#endif

#endif /* KALO_API_KALO_API_H */
