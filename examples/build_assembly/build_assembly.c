/* Example CAD plug-in: describes a two-stage gearbox through the kalo C
 * interface, with nested sub-assemblies, coordinate systems and mating
 * constraints, and prints the assembly it built.
 *
 * The assembly (millimetres, grams):
 *   Gearbox (top)
 *   +- Housing              part, fixed
 *   +- InputStage           flexible sub-assembly
 *   |  +- Shaft             part
 *   |  +- Gear              part, placed twice (the library numbers the second use "Gear-1")
 *   +- OutputStage          rigid sub-assembly
 *   |  +- Shaft             part
 *   |  +- Bearings          nested sub-assembly
 *   |     +- Bearing        part, placed twice
 *   +- Cover                part
 *
 * Constraints name their parts by paths of reference names below the
 * definition that states them ("OutputStage/Bearings/Bearing"). The gear
 * mates are stated inside InputStage, with paths relative to it.
 *
 * Usage: build_assembly   (exit status 0 when every call gave the expected result) */
#include <kalo_api/kalo_api.h>

#include <stdio.h>

static const double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
/* 90 degrees about z, column by column. */
static const double kTurnZ[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};

static void* g_handles[64];
static int g_handleCount = 0;
static int g_failures = 0;

static void* keep(void* handle) {
  if (handle != NULL && g_handleCount < (int)(sizeof g_handles / sizeof g_handles[0]))
    g_handles[g_handleCount++] = handle;
  return handle;
}

static void expect(int rc, int wanted, const char* what) {
  if (rc != wanted) {
    fprintf(stderr, "build_assembly: %s gave %d, expected %d\n", what, rc, wanted);
    ++g_failures;
  }
}

static void* definition(const char* name, double mass, double inertiaDiagonal, const char* file) {
  void* model = NULL;
  const double inertia[6] = {inertiaDiagonal, inertiaDiagonal, inertiaDiagonal, 0, 0, 0};
  const double cg[3] = {0, 0, 0};
  const kalot_vis_mat_prop steel = {{0.6, 0.62, 0.65}, 0.3, 0.7, 0.5, 0.4, 0.0, 0.0};
  expect(kalot_create_cadmodel(&model, name, mass, inertia, cg, mass / 7.85, 0.0, file, &steel), 0, name);
  return keep(model);
}

static void* place(void* parent, const char* parentName, const char* name, void* model,
                   const double* rotation, double x, double y, double z, int flexible, int fixed) {
  void* ref = NULL;
  const double at[3] = {x, y, z};
  int isFlexible = -1, isFixed = -1;
  expect(kalot_create_cadmodelref(&ref, name, name, model, rotation, at, 1.0, flexible, fixed, NULL), 0,
         name);
  keep(ref);
  expect(kalot_add_refincadmodel(parent, ref), 0, "kalot_add_refincadmodel");
  expect(kalot_get_refflexibleflag(&isFlexible, ref), 0, "kalot_get_refflexibleflag");
  expect(kalot_get_reffixedflag(&isFixed, ref), 0, "kalot_get_reffixedflag");
  printf("  %-12s places %-11s at (%g, %g, %g)%s%s\n", parentName, name, x, y, z,
         isFlexible ? ", flexible" : "", isFixed ? ", fixed" : "");
  return ref;
}

static void coordinateSystem(void* model, const char* modelName, const char* name, double x, double y,
                             double z) {
  void* cs = NULL;
  const double at[3] = {x, y, z};
  expect(kalot_create_cadcs(&cs, name, name, kIdentity, at), 0, name);
  keep(cs);
  expect(kalot_add_cadcs(model, cs), 0, "kalot_add_cadcs");
  printf("  %-12s has coordinate system %s at (%g, %g, %g)\n", modelName, name, x, y, z);
}

/* A component found by its path below `assembly`; an unknown path gives an empty handle. */
static void* component(const char* path, void* assembly) {
  void* comp = NULL;
  expect(kalot_create_assemcomp_fromstr(&comp, path, assembly), 0, path);
  return keep(comp);
}

static void mate(void* assembly, const char* assemblyName, const char* name, int type, const char* path1,
                 const char* path2, int geom1, int geom2, const double loc1[3], const double axis1[3],
                 const double loc2[3], const double axis2[3]) {
  void* constraint = NULL;
  /* A path of "" stands for the assembly itself: no component on that side. */
  void* comp1 = path1[0] != '\0' ? component(path1, assembly) : NULL;
  void* comp2 = path2[0] != '\0' ? component(path2, assembly) : NULL;
  expect(
      kalot_create_constrain(&constraint, name, type, comp1, comp2, geom1, geom2, loc1, axis1, loc2, axis2),
      0, name);
  keep(constraint);
  expect(kalot_add_constrain(assembly, constraint), 0, "kalot_add_constrain");
  printf("  %-12s mates %s to %s (%s)\n", assemblyName, path1[0] != '\0' ? path1 : "(itself)", path2, name);
}

int main(void) {
  const double x[3] = {1, 0, 0}, z[3] = {0, 0, 1};
  const double origin[3] = {0, 0, 0};
  void *gearbox, *housing, *inputStage, *outputStage, *bearings, *shaft, *gear, *bearing, *cover;
  int i;

  expect(kalot_set_units(KALOT_MASS_G, KALOT_LENGTH_MM), 0, "kalot_set_units");

  printf("Definitions\n");
  gearbox = definition("Gearbox", 0.0, 0.0, "");
  housing = definition("Housing", 5200.0, 4.1e7, "housing.step");
  inputStage = definition("InputStage", 0.0, 0.0, "");
  outputStage = definition("OutputStage", 0.0, 0.0, "");
  bearings = definition("Bearings", 0.0, 0.0, "");
  shaft = definition("Shaft", 640.0, 2.2e5, "shaft.step");
  gear = definition("Gear", 910.0, 1.3e6, "gear.step");
  bearing = definition("Bearing", 120.0, 9.0e3, "bearing.step");
  cover = definition("Cover", 780.0, 3.3e6, "cover.step");
  expect(kalot_cadmodel_setfilename(cover, "cover_rev_b.step"), 0, "kalot_cadmodel_setfilename");
  printf("  9 definitions; the cover's geometry is now cover_rev_b.step\n");

  printf("Placements\n");
  place(inputStage, "InputStage", "Shaft", shaft, kIdentity, 0, 0, 0, 0, 0);
  place(inputStage, "InputStage", "Gear", gear, kIdentity, 40, 0, 0, 0, 0);
  place(inputStage, "InputStage", "Gear", gear, kTurnZ, 95, 0, 0, 0, 0);
  place(bearings, "Bearings", "Bearing", bearing, kIdentity, 0, 0, 0, 0, 0);
  place(bearings, "Bearings", "Bearing", bearing, kIdentity, 150, 0, 0, 0, 0);
  place(outputStage, "OutputStage", "Shaft", shaft, kIdentity, 0, 0, 0, 0, 0);
  place(outputStage, "OutputStage", "Bearings", bearings, kIdentity, 10, 0, 0, 0, 0);
  place(gearbox, "Gearbox", "Housing", housing, kIdentity, 0, 0, 0, 0, 1);
  place(gearbox, "Gearbox", "InputStage", inputStage, kIdentity, 0, 0, 60, 1, 0);
  place(gearbox, "Gearbox", "OutputStage", outputStage, kIdentity, 0, 0, -60, 0, 0);
  place(gearbox, "Gearbox", "Cover", cover, kIdentity, 0, 120, 0, 0, 0);
  coordinateSystem(gearbox, "Gearbox", "Mounting", 0, 0, -100);
  coordinateSystem(housing, "Housing", "InputBore", 0, 0, 60);

  printf("Constraints\n");
  {
    const double bore[3] = {0, 0, 60}, seat[3] = {10, 0, -60}, face[3] = {0, 120, 0};
    mate(gearbox, "Gearbox", "InputBore", KALOT_CONSTRAIN_CONCENTRIC, "Housing", "InputStage/Shaft",
         KALOT_GEOM_CYLINDER, KALOT_GEOM_CYLINDER, bore, x, origin, x);
    mate(gearbox, "Gearbox", "OutputSeat", KALOT_CONSTRAIN_CONCENTRIC, "Housing",
         "OutputStage/Bearings/Bearing", KALOT_GEOM_CYLINDER, KALOT_GEOM_CYLINDER, seat, x, origin, x);
    mate(gearbox, "Gearbox", "CoverFace", KALOT_CONSTRAIN_COINCIDENT, "", "Cover", KALOT_GEOM_PLANE,
         KALOT_GEOM_PLANE, face, z, origin, z);
    /* Stated inside the input stage: the gear sits on the shaft. */
    mate(inputStage, "InputStage", "GearOnShaft", KALOT_CONSTRAIN_CONCENTRIC, "Shaft", "Gear",
         KALOT_GEOM_CYLINDER, KALOT_GEOM_CYLINDER, origin, x, origin, x);
  }

  printf("Checks\n");
  {
    /* An unknown path is no failure but yields an empty component; a
     * constraint between empty components is refused with result 5. */
    void* unknown = component("OutputStage/Gear", gearbox);
    void* refused = NULL;
    const double p[3] = {0, 0, 0};
    expect(kalot_create_constrain(&refused, "Typo", KALOT_CONSTRAIN_COINCIDENT, unknown, NULL,
                                  KALOT_GEOM_POINT, KALOT_GEOM_POINT, p, p, p, p),
           KALOT_INVALID_CON_COMPS, "constraint on an unknown path");
    printf("  the path OutputStage/Gear names nothing: a constraint on it gives result %d\n",
           KALOT_INVALID_CON_COMPS);
    expect(kalot_add_refincadmodel(shaft, unknown), 1, "adding a component as a reference");
    printf("  a component handle where a reference is needed gives result 1\n");
  }

  /* Every object lives on inside the top definition until its handle goes too. */
  for (i = g_handleCount - 1; i >= 0; --i) kalot_release_object(g_handles[i]);
  if (g_failures != 0) {
    printf("%d call(s) gave an unexpected result\n", g_failures);
    return 1;
  }
  printf("Built the gearbox: 11 placements, 2 coordinate systems, 4 constraints.\n");
  return 0;
}
