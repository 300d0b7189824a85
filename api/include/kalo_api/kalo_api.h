/* kalo_api: the C interface a CAD export plug-in calls to describe an
 * assembly and have it converted into a multibody XML file.
 *
 * Every function returns a KalotError code (0 on success). Objects are handed
 * out as opaque handles (a heap box holding one share of the object); release
 * every handle with kalot_release_object. Linking an object into another
 * shares it, so a handle may be released as soon as its object is linked.
 * Texts are zero-terminated and copied; arrays are read at once (rotations 9
 * values column by column, points and directions 3, inertia 6). Every number
 * handed in must be finite: a NaN or an infinity (in a mass, inertia, centre of
 * gravity, volume, area, material, rotation, translation, scale, location or
 * axis) gives 1 and creates nothing. A number the conversion computes beyond
 * the finite range makes kalot_write_xml return 3 without leaving a file.
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
 * writer's whole file. */
#ifndef KALO_API_KALO_API_H
#define KALO_API_KALO_API_H

#include <kalo_toolkit/kalot_types.h>

/* The library is built with hidden visibility; only these calls are exported. */
#define KALO_API __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

/* Unit system (process-wide). 6 when the pair gives no inertia unit (still stored). */
KALO_API int kalot_set_units(KalotMassUnit mass, KalotLengthUnit length);

/* CAD definitions and placed references. */
KALO_API int kalot_create_cadmodel(void** out, const char* name, double mass, const double* inertia,
                                   const double* cg, double volume, double surfaceArea,
                                   const char* geometryFileName, const kalot_vis_mat_prop* material);
KALO_API int kalot_cadmodel_setfilename(void* model, const char* geometryFileName);
KALO_API int kalot_create_cadmodelref(void** out, const char* name, const char* nodeID, void* model,
                                      const double* rotation, const double* translation, double scale,
                                      int flexible, int fixed, const kalot_vis_mat_prop* material);
/* 1 when the definition would place itself, directly or through a constraint. */
KALO_API int kalot_add_refincadmodel(void* parentModel, void* ref);
KALO_API int kalot_get_refflexibleflag(int* out, void* ref);
KALO_API int kalot_get_reffixedflag(int* out, void* ref);
KALO_API int kalot_set_refflexibleflag(void* ref, int value);
KALO_API int kalot_set_reffixedflag(void* ref, int value);
/* A new handle sharing the reference's definition; on failure *out is left as it was. */
KALO_API int kalot_cadmodelref_getcadmodel(void** out, void* ref);
KALO_API int kalot_create_cadcs(void** out, const char* name, const char* nodeID, const double* rotation,
                                const double* translation);
KALO_API int kalot_add_cadcs(void* model, void* cs);

/* Assembly components (paths of references from the top) and constraints. */
KALO_API int kalot_create_assemcomp(void** out);
KALO_API int kalot_add_refincomp(void* comp, void* ref);
/* An unknown path returns 0 with an empty handle. */
KALO_API int kalot_create_assemcomp_fromstr(void** out, const char* path, void* topModel);
/* 5 when neither component is given (null or empty handle). */
KALO_API int kalot_create_constrain(void** out, const char* name, KalotConstrainType type, void* comp1,
                                    void* comp2, KalotGeomType entity1Type, KalotGeomType entity2Type,
                                    const double* entity1Location, const double* entity1Axis,
                                    const double* entity2Location, const double* entity2Axis);
/* 1 when a component names a placement of the definition itself, which would
 * keep it alive for ever. */
KALO_API int kalot_add_constrain(void* model, void* constrain);

/* Drops the handle's share of its object and frees the handle; null does nothing. */
KALO_API int kalot_release_object(void* handle);

/* Host environment: 7 when the host engine cannot be reached. */
KALO_API int kalot_connectto_quorra(void);
KALO_API int kalot_disconnectfrom_quorra(void);
KALO_API int kalot_open_help(const char* topic);
KALO_API int kalot_open_demo(void);

/* Conversion and output. */
KALO_API int kalot_create_cad2zolt(void** out, void* topModel, const char* createdUsing,
                                   const char* createdFrom, const char* createdOn, const char* createdBy,
                                   const char* modelName);
/* Linear, angular and third tolerance of this converter's conversion (per
 * conversion; see Threads above). */
KALO_API int kalot_set_tolerances(void* cad2zolt, double tol1, double tol2, double tol3);
/* Converts (first call only) and writes the file. *messages is set to a new
 * buffer (empty text unless the result is 4); free it with kalot_release_buffer. */
KALO_API int kalot_write_xml(char** messages, void* cad2zolt, const char* fileName);
KALO_API int kalot_release_buffer(char** buffer);

#ifdef __cplusplus
}
#endif

#endif /* KALO_API_KALO_API_H */
