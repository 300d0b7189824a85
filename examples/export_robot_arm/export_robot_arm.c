/* Example CAD export plug-in: a four-axis robot arm described through the
 * kalo C interface and exported as a multibody XML file.
 *
 * The assembly (metres, kilograms):
 *   RobotArm (top, with a world coordinate system)
 *   +- Base          part, fixed to the floor
 *   +- Shoulder      flexible sub-assembly: Turret and UpperArm, hinged to each other
 *   +- Forearm       rigid sub-assembly: ForearmTube and WristHousing (one body),
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
 * Usage: export_robot_arm [output.xml]   (default: robot_arm.xml) */
#define _XOPEN_SOURCE 700 /* realpath */

#include <kalo_api/kalo_api.h>

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* Constraint kinds and geometry kinds as the converter reads them. */
enum { MATE_COINCIDENT = 0 };
enum { GEOM_POINT = 0, GEOM_LINE = 1, GEOM_PLANE = 2, GEOM_CYLINDER = 3 };

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

/* A part or sub-assembly definition. inertia: Ixx, Iyy, Izz, Ixy, Ixz, Iyz. */
static void* definition(const char* name, double mass, double ixx, double iyy, double izz, double cgz,
                        double volume, double area, const char* file, const kalot_vis_mat_prop* material) {
  void* model = NULL;
  const double inertia[6] = {ixx, iyy, izz, 0, 0, 0};
  const double cg[3] = {0, 0, cgz};
  check(kalot_create_cadmodel(&model, name, mass, inertia, cg, volume, area, file, material), name);
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
static void mate(void* assembly, const char* name, const char* path1, const char* path2, int geom1, int geom2,
                 const double loc1[3], const double axis1[3], const double loc2[3], const double axis2[3]) {
  void* comp1 = NULL;
  void* comp2 = NULL;
  void* constraint = NULL;
  check(kalot_create_assemcomp_fromstr(&comp1, path1, assembly), path1);
  keep(comp1);
  check(kalot_create_assemcomp_fromstr(&comp2, path2, assembly), path2);
  keep(comp2);
  check(kalot_create_constrain(&constraint, name, MATE_COINCIDENT, comp1, comp2, geom1, geom2, loc1, axis1,
                               loc2, axis2),
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
  mate(assembly, label, path1, path2, GEOM_CYLINDER, GEOM_CYLINDER, pivot1, axis, pivot2, axis);
  snprintf(label, sizeof label, "%s-Coincident", name);
  mate(assembly, label, path1, path2, GEOM_PLANE, GEOM_PLANE, face1, axis, face2, axis);
}

int main(int argc, char** argv) {
  const char* output = "robot_arm.xml";
  if (argc > 2 || (argc == 2 && (strcmp(argv[1], "-h") == 0 || strcmp(argv[1], "--help") == 0))) {
    printf(
        "usage: %s [output.xml]\nExports a small robot arm as a multibody XML file (default "
        "robot_arm.xml).\n",
        argv[0]);
    return argc > 2 ? 2 : 0;
  }
  if (argc == 2) output = argv[1];

  const kalot_vis_mat_prop steel = {{0.6, 0.62, 0.65}, 0.3, 0.7, 0.5, 0.4, 0.0, 0.0};
  const kalot_vis_mat_prop orange = {{0.95, 0.45, 0.1}, 0.3, 0.8, 0.3, 0.2, 0.0, 0.0};
  const kalot_vis_mat_prop black = {{0.1, 0.1, 0.1}, 0.2, 0.6, 0.2, 0.1, 0.0, 0.0};

  check(kalot_set_units(KALOT_MASS_KG, KALOT_LENGTH_M), "kalot_set_units");

  /* Definitions, bottom-up. */
  void* base = definition("Base", 12.0, 0.08, 0.08, 0.12, 0.05, 0.0015, 0.09, "base.stl", &steel);
  void* turret = definition("Turret", 4.5, 0.02, 0.02, 0.015, 0.15, 0.0006, 0.05, "turret.stl", &orange);
  void* upperArm =
      definition("UpperArm", 3.2, 0.07, 0.07, 0.004, 0.25, 0.0004, 0.06, "upper_arm.stl", &orange);
  void* tube =
      definition("ForearmTube", 1.8, 0.002, 0.03, 0.03, 0.0, 0.00025, 0.04, "forearm_tube.stl", &orange);
  void* housing =
      definition("WristHousing", 0.9, 0.001, 0.001, 0.001, 0.0, 0.0001, 0.015, "wrist.stl", &steel);
  void* plate =
      definition("ToolPlate", 0.3, 0.0002, 0.0002, 0.0003, 0.0, 0.00004, 0.01, "tool_plate.stl", &steel);
  void* gripper =
      definition("Gripper", 0.6, 0.0008, 0.0008, 0.0005, 0.0, 0.00008, 0.02, "gripper.stl", &black);
  void* camera = definition("Camera", 0.2, 0.0001, 0.0001, 0.0001, 0.0, 0.00003, 0.008, "camera.stl", &black);
  void* shoulder = definition("ShoulderModule", 7.7, 0.0, 0.0, 0.0, 0.3, 0.0, 0.0, "", NULL);
  void* forearm = definition("ForearmAssembly", 2.7, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, "", NULL);
  void* arm = definition("RobotArm", 0.0, 0.0, 0.0, 0.0, 0.5, 0.0, 0.0, "", NULL);

  /* The shoulder module: the turret turns on the base, the upper arm pitches on the turret. */
  place(shoulder, "Turret", "/RobotArm/Shoulder/Turret", turret, 0, 0, 0, 0, 0);
  place(shoulder, "UpperArm", "/RobotArm/Shoulder/UpperArm", upperArm, 0, 0, 0.3, 0, 0);
  coordinateSystem(shoulder, "MountCS", "/RobotArm/Shoulder/MountCS", 0, 0, 0);

  /* The forearm is machined as one piece with its wrist housing. */
  place(forearm, "ForearmTube", "/RobotArm/Forearm/ForearmTube", tube, 0, 0, 0, 0, 0);
  place(forearm, "WristHousing", "/RobotArm/Forearm/WristHousing", housing, 0.45, 0, 0, 0, 0);
  coordinateSystem(housing, "ToolFlange", "/RobotArm/Forearm/WristHousing/ToolFlange", 0.1, 0, 0);

  place(arm, "Base", "/RobotArm/Base", base, 0, 0, 0, 0, 1);
  place(arm, "Shoulder", "/RobotArm/Shoulder", shoulder, 0, 0, 0.1, 1, 0);
  place(arm, "Forearm", "/RobotArm/Forearm", forearm, 0, 0, 0.9, 0, 0);
  place(arm, "ToolPlate", "/RobotArm/ToolPlate", plate, 0.55, 0, 0.9, 0, 0);
  place(arm, "Gripper", "/RobotArm/Gripper", gripper, 0.6, 0, 0.9, 0, 0);
  place(arm, "Camera", "/RobotArm/Camera", camera, 0.3, 0.1, 1.0, 0, 0);
  coordinateSystem(arm, "WorldCS", "/RobotArm/WorldCS", 0, 0, 0);

  {
    const double z[3] = {0, 0, 1}, y[3] = {0, 1, 0}, x[3] = {1, 0, 0};
    const double origin[3] = {0, 0, 0};
    /* Waist: base top face at z = 0.1 meets the turret's bottom face. */
    const double baseTop[3] = {0, 0, 0.1};
    hinge(arm, "Waist", "Base", "Shoulder/Turret", baseTop, origin, z, baseTop, origin);
    /* Shoulder pitch, stated inside the sub-assembly: about y at the turret's top. */
    {
      const double pivotTurret[3] = {0, 0, 0.3}, faceTurret[3] = {0, 0.05, 0.3}, faceArm[3] = {0, 0.05, 0};
      hinge(shoulder, "ShoulderPitch", "Turret", "UpperArm", pivotTurret, origin, y, faceTurret, faceArm);
    }
    /* Elbow: about y at the upper arm's end (z = 0.5 in its coordinates). */
    {
      const double pivotArm[3] = {0, 0, 0.5}, faceArm[3] = {0, 0.05, 0.5}, faceTube[3] = {0, 0.05, 0};
      hinge(arm, "Elbow", "Shoulder/UpperArm", "Forearm/ForearmTube", pivotArm, origin, y, faceArm, faceTube);
    }
    /* The tool plate slides and turns on the flange face (x = 0.1 on the housing). */
    {
      const double flange[3] = {0.1, 0, 0};
      mate(arm, "ToolPlate-Planar", "Forearm/WristHousing", "ToolPlate", GEOM_PLANE, GEOM_PLANE, flange, x,
           origin, x);
    }
    /* The gripper's jaw edge lies on the plate's front face: a line on a plane
     * leaves two rotations, which no single joint here expresses. */
    {
      const double front[3] = {0.05, 0, 0};
      mate(arm, "Gripper-EdgeOnFace", "Gripper", "ToolPlate", GEOM_LINE, GEOM_PLANE, origin, z, front, x);
    }
  }

  void* converter = NULL;
  check(kalot_create_cad2zolt(&converter, arm, "export_robot_arm example", "robot_arm.asm", "2026-01-15",
                              "kalo examples", "RobotArm"),
        "kalot_create_cad2zolt");
  keep(converter);

  int rc = 1;
  char* report = NULL;
  if (!g_failed) {
    rc = kalot_write_xml(&report, converter, output);
    printf("Result: %d (%s)\n", rc, resultText(rc));
    if (report != NULL && report[0] != '\0') printf("Report:\n%s", report);
    if (rc == 0 || rc == 4) {
      char where[PATH_MAX];
      printf("Multibody file: %s\n", realpath(output, where) != NULL ? where : output);
    }
    kalot_release_buffer(&report);
  }

  for (int i = g_handleCount - 1; i >= 0; --i) kalot_release_object(g_handles[i]);
  if (g_failed) return 1;
  return rc == 0 || rc == 4 ? 0 : 1;
}
