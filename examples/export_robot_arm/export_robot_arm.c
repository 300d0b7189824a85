/* Example CAD export plug-in: a four-axis robot arm described through the
 * kalo C interface and exported as a multibody XML file, with the CAD XML file
 * of the assembly and binary STL meshes beside it: one per part, and one of the
 * rigid forearm as a whole.
 *
 * The assembly (metres, kilograms; the arm stands upright, every part a box):
 *   RobotArm (top, with a world coordinate system)
 *   +- Base          part, fixed to the floor
 *   +- Shoulder      flexible sub-assembly: Turret and UpperArm, hinged to each other
 *   +- Forearm       rigid sub-assembly: ForearmTube and WristHousing (one body,
 *   |                with their combined mass, centre of gravity and inertia),
 *   |                with a tool-flange coordinate system on the housing
 *   +- ToolPlate     part sliding on the flange face (planar mate)
 *   +- Gripper       part whose jaw edge lies on the plate (a mate set the
 *   |                converter cannot solve: it welds the pair and says why)
 *   +- Camera        part without mates (it floats: six degrees of freedom)
 *
 * Revolute joints come from a concentric mate (two cylinders) plus a
 * coincident mate (two planes): waist (Base-Turret), shoulder
 * (Turret-UpperArm, stated inside the Shoulder sub-assembly) and elbow
 * (UpperArm-Forearm).
 *
 * Usage: export_robot_arm [output.xml]   (default: robot_arm.xml)
 * Beside output.xml it writes output.cad.xml (the CAD XML file, input of
 * kalo-convert) and meshes/NAME.stl; export with kalo-export --mesh-dir meshes. */
#define _XOPEN_SOURCE 700 /* realpath, mkdir */

#include <kalo_api/kalo_api.h>

#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "mass_properties.h"
#include "stl_box.h"

static const double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

/* Every handle the example gets, released at the end. */
static void* g_handles[64];
static int g_handleCount = 0;

static int g_failed = 0;

static void* keep(void* handle) {
  if (handle != NULL && g_handleCount < (int)(sizeof g_handles / sizeof g_handles[0]))
    g_handles[g_handleCount++] = handle;
  return handle;
}

static void check(int rc, const char* what) {
  if (rc != 0 && !g_failed) {
    fprintf(stderr, "export_robot_arm: %s failed with result %d\n", what, rc);
    g_failed = 1;
  }
}

static const char* resultText(int rc) {
  switch (rc) {
    case 0:
      return "success";
    case 1:
      return "generic failure";
    case 2:
      return "CAD model not set";
    case 3:
      return "the file could not be written";
    case 4:
      return "written; some mates were welded (see the report)";
    case 5:
      return "invalid constraint components";
    case 6:
      return "unsupported inertia units";
    case 7:
      return "the host engine could not be reached";
    default:
      return "unknown result";
  }
}

/* Where the meshes go: "meshes/" beside the output file. */
static char g_meshDir[PATH_MAX];

static void writeMesh(const char* file, int count, const StlBox* boxes) {
  char path[PATH_MAX + 64];
  snprintf(path, sizeof path, "%s%s", g_meshDir, file);
  if (writeStlBoxes(path, count, boxes) != 0 && !g_failed) {
    fprintf(stderr, "export_robot_arm: cannot write %s: %s\n", path, strerror(errno));
    g_failed = 1;
  }
}

/* A solid box-shaped part: its definition (mass properties from the box) and its mesh. */
static void* part(const char* name, double mass, double sx, double sy, double sz, double cx, double cy,
                  double cz, const char* file, const kalot_vis_mat_prop* material, MassProperties* out) {
  const StlBox box = {{sx, sy, sz}, {cx, cy, cz}};
  const MassProperties p = boxMassProperties(mass, box.size, box.centre);
  const double volume = sx * sy * sz, area = 2 * (sx * sy + sy * sz + sz * sx);
  void* model = NULL;
  check(kalot_create_cadmodel(&model, name, p.mass, p.inertia, p.cg, volume, area, file, material), name);
  writeMesh(file, 1, &box);
  if (out != NULL) *out = p;
  return keep(model);
}

/* A sub-assembly definition with the given mass properties. */
static void* assembly(const char* name, const MassProperties* p, const char* file) {
  void* model = NULL;
  check(kalot_create_cadmodel(&model, name, p->mass, p->inertia, p->cg, 0.0, 0.0, file, NULL), name);
  return keep(model);
}

/* Places model inside parent at (x, y, z), unrotated. */
static void place(void* parent, const char* name, const char* nodeID, void* model, double x, double y,
                  double z, int flexible, int fixed) {
  void* ref = NULL;
  const double at[3] = {x, y, z};
  check(kalot_create_cadmodelref(&ref, name, nodeID, model, kIdentity, at, 1.0, flexible, fixed, NULL), name);
  keep(ref);
  check(kalot_add_refincadmodel(parent, ref), "kalot_add_refincadmodel");
}

static void coordinateSystem(void* model, const char* name, const char* nodeID, double x, double y,
                             double z) {
  void* cs = NULL;
  const double at[3] = {x, y, z};
  check(kalot_create_cadcs(&cs, name, nodeID, kIdentity, at), name);
  keep(cs);
  check(kalot_add_cadcs(model, cs), "kalot_add_cadcs");
}

/* One mate between the parts at paths path1 and path2 (found from `assembly`,
 * where the mate is stated). Locations and axes are in each part's coordinates. */
static void mate(void* assembly, const char* name, int type, const char* path1, const char* path2, int geom1,
                 int geom2, const double loc1[3], const double axis1[3], const double loc2[3],
                 const double axis2[3]) {
  void* comp1 = NULL;
  void* comp2 = NULL;
  void* constraint = NULL;
  int empty1 = 1, empty2 = 1;
  check(kalot_create_assemcomp_fromstr(&comp1, path1, assembly), path1);
  keep(comp1);
  check(kalot_create_assemcomp_fromstr(&comp2, path2, assembly), path2);
  keep(comp2);
  /* An unknown path gives an empty component, which would tie the part to the assembly itself. */
  check(kalot_assemcomp_is_empty(comp1, &empty1), "kalot_assemcomp_is_empty");
  check(kalot_assemcomp_is_empty(comp2, &empty2), "kalot_assemcomp_is_empty");
  if ((empty1 || empty2) && !g_failed) {
    fprintf(stderr, "export_robot_arm: mate %s: no part at path %s\n", name, empty1 ? path1 : path2);
    g_failed = 1;
  }
  check(kalot_create_constrain(&constraint, name, type, comp1, comp2, geom1, geom2, loc1, axis1, loc2, axis2),
        name);
  keep(constraint);
  check(kalot_add_constrain(assembly, constraint), "kalot_add_constrain");
}

/* Concentric cylinders plus coincident faces: a hinge about `axis`. */
static void hinge(void* assembly, const char* name, const char* path1, const char* path2,
                  const double pivot1[3], const double pivot2[3], const double axis[3], const double face1[3],
                  const double face2[3]) {
  char label[128];
  snprintf(label, sizeof label, "%s-Concentric", name);
  mate(assembly, label, KALOT_CONSTRAIN_CONCENTRIC, path1, path2, KALOT_GEOM_CYLINDER, KALOT_GEOM_CYLINDER,
       pivot1, axis, pivot2, axis);
  snprintf(label, sizeof label, "%s-Coincident", name);
  mate(assembly, label, KALOT_CONSTRAIN_COINCIDENT, path1, path2, KALOT_GEOM_PLANE, KALOT_GEOM_PLANE, face1,
       axis, face2, axis);
}

/* "dir/name.xml" gives "dir/name.cad.xml" and "dir/meshes/". */
static int outputPaths(const char* output, char* cadXml, size_t cadSize) {
  const size_t n = strlen(output);
  const size_t stem = n > 4 && strcmp(output + n - 4, ".xml") == 0 ? n - 4 : n;
  if (snprintf(cadXml, cadSize, "%.*s.cad.xml", (int)stem, output) >= (int)cadSize) return -1;
  const char* slash = strrchr(output, '/');
  const int dirLength = slash != NULL ? (int)(slash - output + 1) : 0;
  if (snprintf(g_meshDir, sizeof g_meshDir, "%.*smeshes/", dirLength, output) >= (int)sizeof g_meshDir)
    return -1;
  if (mkdir(g_meshDir, 0777) != 0 && errno != EEXIST) {
    fprintf(stderr, "export_robot_arm: cannot make %s: %s\n", g_meshDir, strerror(errno));
    return -1;
  }
  return 0;
}

int main(int argc, char** argv) {
  const char* output = "robot_arm.xml";
  char cadXml[PATH_MAX + 16];
  if (argc > 2 || (argc == 2 && (strcmp(argv[1], "-h") == 0 || strcmp(argv[1], "--help") == 0))) {
    printf(
        "usage: %s [output.xml]\n"
        "Exports a small robot arm as a multibody XML file (default robot_arm.xml), with\n"
        "output.cad.xml (its CAD XML file, input of kalo-convert) and meshes/*.stl beside it.\n"
        "Export it with: kalo-export --to mjcf --mesh-dir meshes output.xml output.mjcf.xml\n",
        argv[0]);
    return argc > 2 ? 2 : 0;
  }
  if (argc == 2) output = argv[1];
  if (outputPaths(output, cadXml, sizeof cadXml) != 0) return 1;

  const kalot_vis_mat_prop steel = {{0.6, 0.62, 0.65}, 0.3, 0.7, 0.5, 0.4, 0.0, 0.0};
  const kalot_vis_mat_prop orange = {{0.95, 0.45, 0.1}, 0.3, 0.8, 0.3, 0.2, 0.0, 0.0};
  const kalot_vis_mat_prop black = {{0.1, 0.1, 0.1}, 0.2, 0.6, 0.2, 0.1, 0.0, 0.0};

  check(kalot_set_units(KALOT_MASS_KG, KALOT_LENGTH_M), "kalot_set_units");

  /* Parts, bottom-up: mass, box size (x, y, z) and box centre in the part's own frame. */
  MassProperties turretP, upperArmP, tubeP, housingP;
  void* base = part("Base", 12.0, 0.30, 0.30, 0.10, 0, 0, 0.05, "base.stl", &steel, NULL);
  void* turret = part("Turret", 4.5, 0.16, 0.16, 0.30, 0, 0, 0.15, "turret.stl", &orange, &turretP);
  void* upperArm = part("UpperArm", 3.2, 0.08, 0.08, 0.50, 0, 0, 0.25, "upper_arm.stl", &orange, &upperArmP);
  void* tube = part("ForearmTube", 1.8, 0.06, 0.06, 0.45, 0, 0, 0.225, "forearm_tube.stl", &orange, &tubeP);
  void* housing = part("WristHousing", 0.9, 0.10, 0.10, 0.10, 0, 0, 0.05, "wrist.stl", &steel, &housingP);
  void* plate = part("ToolPlate", 0.3, 0.01, 0.08, 0.08, 0.005, 0, 0, "tool_plate.stl", &steel, NULL);
  void* gripper = part("Gripper", 0.6, 0.06, 0.06, 0.06, 0.03, 0, 0, "gripper.stl", &black, NULL);
  void* camera = part("Camera", 0.2, 0.05, 0.05, 0.05, 0, 0, 0, "camera.stl", &black, NULL);

  /* Sub-assemblies carry the combined properties of their parts, as placed
   * below. The rigid forearm becomes one body with exactly these values and
   * one mesh holding both parts' boxes. */
  const double upperArmAt[3] = {0, 0, 0.3}, housingAt[3] = {0, 0, 0.45};
  void* shoulder;
  void* forearm;
  {
    const MassProperties parts[2] = {turretP, upperArmP};
    const double rotations[18] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 0, 0, 0, 1, 0, 0, 0, 1};
    const double at[6] = {0, 0, 0, upperArmAt[0], upperArmAt[1], upperArmAt[2]};
    const MassProperties whole = combineMassProperties(2, parts, rotations, at);
    shoulder = assembly("ShoulderModule", &whole, "");
  }
  {
    const MassProperties parts[2] = {tubeP, housingP};
    const double rotations[18] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 0, 0, 0, 1, 0, 0, 0, 1};
    const double at[6] = {0, 0, 0, housingAt[0], housingAt[1], housingAt[2]};
    const MassProperties whole = combineMassProperties(2, parts, rotations, at);
    const StlBox boxes[2] = {{{0.06, 0.06, 0.45}, {0, 0, 0.225}}, {{0.10, 0.10, 0.10}, {0, 0, 0.45 + 0.05}}};
    forearm = assembly("ForearmAssembly", &whole, "forearm.stl");
    writeMesh("forearm.stl", 2, boxes);
  }
  const MassProperties topProperties = {0.0, {0, 0, 0, 0, 0, 0}, {0, 0, 0.5}};
  void* arm = assembly("RobotArm", &topProperties, "");

  /* The shoulder module: the turret turns on the base, the upper arm pitches on the turret. */
  place(shoulder, "Turret", "/RobotArm/Shoulder/Turret", turret, 0, 0, 0, 0, 0);
  place(shoulder, "UpperArm", "/RobotArm/Shoulder/UpperArm", upperArm, upperArmAt[0], upperArmAt[1],
        upperArmAt[2], 0, 0);
  coordinateSystem(shoulder, "MountCS", "/RobotArm/Shoulder/MountCS", 0, 0, 0);

  /* The forearm is machined as one piece with its wrist housing on top. */
  place(forearm, "ForearmTube", "/RobotArm/Forearm/ForearmTube", tube, 0, 0, 0, 0, 0);
  place(forearm, "WristHousing", "/RobotArm/Forearm/WristHousing", housing, housingAt[0], housingAt[1],
        housingAt[2], 0, 0);
  coordinateSystem(housing, "ToolFlange", "/RobotArm/Forearm/WristHousing/ToolFlange", 0.05, 0, 0.05);

  /* The base is bolted to the floor: fixed. The shoulder is flexible: its parts move. */
  place(arm, "Base", "/RobotArm/Base", base, 0, 0, 0, 0, 1);
  place(arm, "Shoulder", "/RobotArm/Shoulder", shoulder, 0, 0, 0.1, 1, 0);
  place(arm, "Forearm", "/RobotArm/Forearm", forearm, 0, 0, 0.9, 0, 0);
  place(arm, "ToolPlate", "/RobotArm/ToolPlate", plate, 0.05, 0, 1.4, 0, 0);
  place(arm, "Gripper", "/RobotArm/Gripper", gripper, 0.06, 0, 1.4, 0, 0);
  place(arm, "Camera", "/RobotArm/Camera", camera, 0.3, 0.1, 1.0, 0, 0);
  coordinateSystem(arm, "WorldCS", "/RobotArm/WorldCS", 0, 0, 0);

  {
    const double z[3] = {0, 0, 1}, y[3] = {0, 1, 0}, x[3] = {1, 0, 0};
    const double origin[3] = {0, 0, 0};
    /* Waist: the base's top face at z = 0.1 meets the turret's bottom face. */
    const double baseTop[3] = {0, 0, 0.1};
    hinge(arm, "Waist", "Base", "Shoulder/Turret", baseTop, origin, z, baseTop, origin);
    /* Shoulder pitch, stated inside the sub-assembly: about y at the turret's top. */
    {
      const double pivotTurret[3] = {0, 0, 0.3}, faceTurret[3] = {0, 0.04, 0.3}, faceArm[3] = {0, 0.04, 0};
      hinge(shoulder, "ShoulderPitch", "Turret", "UpperArm", pivotTurret, origin, y, faceTurret, faceArm);
    }
    /* Elbow: about y at the upper arm's top end (z = 0.5 in its coordinates). */
    {
      const double pivotArm[3] = {0, 0, 0.5}, faceArm[3] = {0, 0.03, 0.5}, faceTube[3] = {0, 0.03, 0};
      hinge(arm, "Elbow", "Shoulder/UpperArm", "Forearm/ForearmTube", pivotArm, origin, y, faceArm, faceTube);
    }
    /* The tool plate slides and turns on the flange face (x = 0.05 on the housing). */
    {
      const double flange[3] = {0.05, 0, 0.05};
      mate(arm, "ToolPlate-Planar", KALOT_CONSTRAIN_COINCIDENT, "Forearm/WristHousing", "ToolPlate",
           KALOT_GEOM_PLANE, KALOT_GEOM_PLANE, flange, x, origin, x);
    }
    /* The gripper's jaw edge lies on the plate's front face: a line on a plane
     * leaves two rotations, which no single joint here expresses. */
    {
      const double front[3] = {0.01, 0, 0};
      mate(arm, "Gripper-EdgeOnFace", KALOT_CONSTRAIN_COINCIDENT, "Gripper", "ToolPlate", KALOT_GEOM_LINE,
           KALOT_GEOM_PLANE, origin, z, front, x);
    }
  }

  /* What the plug-in described, as a CAD XML file (input of kalo-convert). */
  if (!g_failed) {
    const int rc = kalot_write_cad_xml(arm, cadXml);
    if (rc != 0) {
      fprintf(stderr, "export_robot_arm: cannot write %s (result %d)\n", cadXml, rc);
      g_failed = 1;
    }
  }

  void* converter = NULL;
  check(kalot_create_cad2zolt(&converter, arm, "export_robot_arm example", "robot_arm.asm", "2026-01-15",
                              "kalo examples", "RobotArm"),
        "kalot_create_cad2zolt");
  keep(converter);

  int rc = 1;
  char* report = NULL;
  char* notes = NULL;
  if (!g_failed) {
    rc = kalot_write_xml(&report, converter, output);
    printf("Result: %d (%s)\n", rc, resultText(rc));
    if (report != NULL && report[0] != '\0') printf("Report:\n%s", report);
    if (kalot_get_conversion_notes(&notes, converter) == 0 && notes[0] != '\0') printf("Notes:\n%s", notes);
    if (rc == 0 || rc == 4) {
      char where[PATH_MAX];
      printf("Multibody file: %s\n", realpath(output, where) != NULL ? where : output);
      printf("CAD XML file: %s\n", realpath(cadXml, where) != NULL ? where : cadXml);
      printf("Meshes: %s\n", realpath(g_meshDir, where) != NULL ? where : g_meshDir);
    }
    kalot_release_buffer(&notes);
    kalot_release_buffer(&report);
  }

  for (int i = g_handleCount - 1; i >= 0; --i) kalot_release_object(g_handles[i]);
  if (g_failed) return 1;
  return rc == 0 || rc == 4 ? 0 : 1;
}
