/* Example: simulates an MJCF file written by kalo-export in MuJoCo. The
 * model starts at its keyframe "home" with its servos holding that pose
 * under gravity; halfway through, one joint is commanded to a target. The
 * joint positions are printed over time with the tracking error of the
 * moved joint, so that both the hold and the move can be read off.
 *
 * With --floor (for a model exported with --floor), the height of the first
 * free-floating body is printed as well, and the run ends with whether the
 * model has come to rest on the ground.
 *
 * Mesh files that cannot be found are replaced in memory by a small
 * tetrahedron: masses and inertias come from the model itself.
 *
 * Usage: simulate_mjcf MODEL.xml [SECONDS] [--move JOINT=TARGET] [--floor]
 *   SECONDS  simulated time (default 2)
 *   --move   the joint to move and its target in rad or m (default: the first
 *            joint with a position actuator, 0.5 from its home value, kept
 *            inside the actuator's control range)
 * Exit status: 0 simulated, 1 the model does not load, 2 bad arguments. */
#define _XOPEN_SOURCE 700 /* strdup */

#include <mujoco/mujoco.h>

#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { kMaxColumns = 6 };
static const double kPrintEvery = 0.1; /* s */
static const double kStep = 0.5;       /* rad or m: the default move */
static const double kRestSpeed = 0.01; /* m/s: a floating body slower than this rests */

static char* readText(const char* path) {
  FILE* f = fopen(path, "rb");
  if (!f) return NULL;
  size_t size = 0, capacity = 4096;
  char* text = malloc(capacity);
  size_t n;
  while (text && (n = fread(text + size, 1, capacity - size - 1, f)) > 0) {
    size += n;
    if (capacity - size <= 1) {
      char* bigger = realloc(text, capacity *= 2);
      if (!bigger) free(text);
      text = bigger;
    }
  }
  fclose(f);
  if (text) text[size] = '\0';
  return text;
}

/* The tetrahedron, as binary STL: 80-byte header, count, 4 facets of 50 bytes. */
static void standInMesh(char* out) {
  static const float v[4][3] = {{0, 0, 0}, {0.05f, 0, 0}, {0, 0.05f, 0}, {0, 0, 0.05f}};
  static const int facets[4][3] = {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}};
  const uint32_t count = 4;
  memset(out, 0, 84);
  memcpy(out + 80, &count, sizeof count);
  char* p = out + 84;
  for (int i = 0; i < 4; ++i) {
    memset(p, 0, 12); /* normal: MuJoCo computes its own */
    p += 12;
    for (int k = 0; k < 3; ++k, p += 12) memcpy(p, v[facets[i][k]], 12);
    p[0] = p[1] = 0;
    p += 2;
  }
}

/* Adds a stand-in to the VFS for every <mesh file="..."> that cannot be opened
 * (relative names are relative to the model's folder). Returns how many. */
static int standInMissingMeshes(const char* modelPath, const char* text, mjVFS* vfs) {
  char dir[1024] = "";
  const char* slash = strrchr(modelPath, '/');
  if (slash && (size_t)(slash - modelPath) < sizeof dir - 1) {
    memcpy(dir, modelPath, (size_t)(slash - modelPath) + 1);
    dir[slash - modelPath + 1] = '\0';
  }
  int added = 0;
  for (const char* at = strstr(text, "<mesh "); at; at = strstr(at + 1, "<mesh ")) {
    const char* end = strchr(at, '>');
    const char* file = strstr(at, " file=\"");
    if (!end || !file || file > end) continue;
    file += 7;
    const char* close = strchr(file, '"');
    if (!close || close > end) continue;
    char name[1024], path[2048];
    const size_t len = (size_t)(close - file);
    if (len >= sizeof name) continue;
    memcpy(name, file, len);
    name[len] = '\0';
    snprintf(path, sizeof path, "%s%s", name[0] == '/' ? "" : dir, name);
    FILE* probe = fopen(path, "rb");
    if (probe) {
      fclose(probe);
      continue;
    }
    /* MuJoCo looks files up in the VFS by their name without folder. */
    if (mj_makeEmptyFileVFS(vfs, name, 284) != 0) continue;
    const int index = mj_findFileVFS(vfs, name);
    if (index < 0) continue;
    standInMesh((char*)vfs->filedata[index]);
    ++added;
  }
  return added;
}

static mjModel* load(const char* path) {
  char* text = readText(path);
  if (!text) {
    fprintf(stderr, "simulate_mjcf: cannot read '%s'\n", path);
    return NULL;
  }
  mjVFS* vfs = malloc(sizeof(mjVFS));
  if (!vfs) {
    free(text);
    return NULL;
  }
  mj_defaultVFS(vfs);
  const int standIns = standInMissingMeshes(path, text, vfs);
  free(text);
  char error[1000] = "";
  mjModel* m = mj_loadXML(path, vfs, error, sizeof error);
  mj_deleteVFS(vfs);
  free(vfs);
  if (!m) {
    fprintf(stderr, "simulate_mjcf: MuJoCo cannot load '%s': %s\n", path, error);
    return NULL;
  }
  printf("%s: %d bodies, %d degrees of freedom, %d actuators, %d loop constraints, %.6g kg", path,
         m->nbody - 1, m->nv, m->nu, m->neq, mj_getTotalmass(m));
  if (standIns > 0) printf(" (%d mesh files not found: small stand-ins shown)", standIns);
  printf("\n");
  return m;
}

/* The position actuator of a joint, or -1. */
static int positionActuator(const mjModel* m, int joint) {
  for (int a = 0; a < m->nu; ++a)
    if (m->actuator_trntype[a] == mjTRN_JOINT && m->actuator_trnid[2 * a] == joint &&
        m->actuator_biastype[a] == mjBIAS_AFFINE && m->actuator_biasprm[10 * a + 1] < 0)
      return a;
  return -1;
}

int main(int argc, char** argv) {
  const char* modelPath = NULL;
  const char* move = NULL;
  double seconds = 2.0;
  int floor = 0, positional = 0;
  for (int i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "--floor") == 0) {
      floor = 1;
    } else if (strcmp(argv[i], "--move") == 0 && i + 1 < argc) {
      move = argv[++i];
    } else if (argv[i][0] != '-' && positional == 0) {
      modelPath = argv[i];
      ++positional;
    } else if (argv[i][0] != '-' && positional == 1) {
      char* end = NULL;
      seconds = strtod(argv[i], &end);
      if (*end != '\0' || !(seconds > 0 && seconds <= 3600)) {
        fprintf(stderr, "simulate_mjcf: SECONDS must be above 0 and at most 3600, not '%s'\n", argv[i]);
        return 2;
      }
      ++positional;
    } else {
      positional = -1;
      break;
    }
  }
  if (!modelPath || positional < 0) {
    fprintf(stderr, "usage: simulate_mjcf MODEL.xml [SECONDS] [--move JOINT=TARGET] [--floor]\n");
    return 2;
  }

  mjModel* m = load(modelPath);
  if (!m) return 1;
  mjData* d = mj_makeData(m);
  const int home = mj_name2id(m, mjOBJ_KEY, "home");
  if (home >= 0) mj_resetDataKeyframe(m, d, home);
  mj_forward(m, d);

  /* The joint to move and its target. */
  int moved = -1, actuator = -1;
  double target = 0;
  if (move) {
    char name[512];
    const char* equals = strchr(move, '=');
    char* end = NULL;
    if (equals && (size_t)(equals - move) < sizeof name) {
      memcpy(name, move, (size_t)(equals - move));
      name[equals - move] = '\0';
      moved = mj_name2id(m, mjOBJ_JOINT, name);
      target = strtod(equals + 1, &end);
    }
    if (moved < 0 || !end || *end != '\0' || (actuator = positionActuator(m, moved)) < 0) {
      fprintf(stderr,
              "simulate_mjcf: --move needs JOINT=TARGET for a joint with a position actuator, not '%s'\n",
              move);
      mj_deleteData(d);
      mj_deleteModel(m);
      return 2;
    }
  } else {
    for (int j = 0; j < m->njnt && moved < 0; ++j)
      if ((m->jnt_type[j] == mjJNT_HINGE || m->jnt_type[j] == mjJNT_SLIDE) &&
          (actuator = positionActuator(m, j)) >= 0)
        moved = j;
    if (moved >= 0) {
      target = d->ctrl[actuator] + kStep;
      if (m->actuator_ctrllimited[actuator] && target > m->actuator_ctrlrange[2 * actuator + 1])
        target = d->ctrl[actuator] - kStep;
    }
  }
  if (moved >= 0 && m->actuator_ctrllimited[actuator]) {
    const double lo = m->actuator_ctrlrange[2 * actuator], hi = m->actuator_ctrlrange[2 * actuator + 1];
    target = target < lo ? lo : target > hi ? hi : target;
  }

  int columns[kMaxColumns], n = 0;
  if (moved >= 0) columns[n++] = moved;
  for (int j = 0; j < m->njnt && n < kMaxColumns; ++j)
    if ((m->jnt_type[j] == mjJNT_HINGE || m->jnt_type[j] == mjJNT_SLIDE) && j != moved) columns[n++] = j;
  int floating = -1;
  for (int j = 0; j < m->njnt && floating < 0; ++j)
    if (m->jnt_type[j] == mjJNT_FREE) floating = j;

  const double moveAt = seconds / 2;
  printf("Home pose held%s; ", home >= 0 ? " (keyframe \"home\")" : " (no keyframe: the CAD pose)");
  if (moved >= 0)
    printf("at %.3g s joint %s is commanded to %.6g.\n", moveAt, mj_id2name(m, mjOBJ_JOINT, moved), target);
  else
    printf("the model has no position actuator to move.\n");
  printf("Columns:\n");
  for (int c = 0; c < n; ++c) {
    const char* name = mj_id2name(m, mjOBJ_JOINT, columns[c]);
    printf("  [%d] %s (%s)\n", c + 1, name ? name : "(unnamed)",
           m->jnt_type[columns[c]] == mjJNT_HINGE ? "hinge, rad" : "slide, m");
  }
  if (moved >= 0) printf("  error: target minus [1]\n");
  if (floor && floating >= 0)
    printf("  height: z of body %s, m\n", mj_id2name(m, mjOBJ_BODY, m->jnt_bodyid[floating]));
  printf("%7s", "t [s]");
  for (int c = 0; c < n; ++c) printf("  %9s[%d]", "", c + 1);
  if (moved >= 0) printf("  %12s", "error");
  if (floor && floating >= 0) printf("  %12s", "height");
  printf("\n");

  const int stepsPerPrint = (int)(kPrintEvery / m->opt.timestep + 0.5);
  const int prints = (int)(seconds / kPrintEvery + 0.5);
  double holdError = 0, lastError = 0;
  int holdJoint = -1, unstable = 0;
  /* Every joint's position at the home pose: before the move the servos should keep them there. */
  double* homeQ = (double*)malloc(sizeof(double) * (size_t)(m->nq > 0 ? m->nq : 1));
  if (!homeQ) return 1;
  for (int i = 0; i < m->nq; ++i) homeQ[i] = d->qpos[i];
  for (int p = 0; p <= prints && !unstable; ++p) {
    if (p > 0)
      for (int s = 0; s < stepsPerPrint; ++s) {
        if (moved >= 0 && d->time >= moveAt - 1e-9) d->ctrl[actuator] = target;
        mj_step(m, d);
      }
    for (int i = 0; i < m->nq; ++i) unstable = unstable || !isfinite(d->qpos[i]);
    printf("%7.3f", d->time);
    for (int c = 0; c < n; ++c) printf("  %12.6f", d->qpos[m->jnt_qposadr[columns[c]]]);
    if (moved >= 0 && d->time < moveAt - 1e-9)
      for (int j = 0; j < m->njnt; ++j) {
        if (m->jnt_type[j] != mjJNT_HINGE && m->jnt_type[j] != mjJNT_SLIDE) continue;
        const int a = m->jnt_qposadr[j];
        if (fabs(d->qpos[a] - homeQ[a]) > holdError) {
          holdError = fabs(d->qpos[a] - homeQ[a]);
          holdJoint = j;
        }
      }
    if (moved >= 0) {
      const double q = d->qpos[m->jnt_qposadr[moved]];
      const double reference = d->time >= moveAt - 1e-9 ? target : d->ctrl[actuator];
      lastError = reference - q;
      printf("  %12.6f", lastError);
    }
    if (floor && floating >= 0) printf("  %12.6f", d->qpos[m->jnt_qposadr[floating] + 2]);
    printf("\n");
  }
  if (unstable) {
    printf("The simulation became unstable (a position is not a number).\n");
  } else {
    if (moved >= 0)
      printf(
          "Largest departure from the home pose before the move %.3g (joint %s, rad or m); tracking error "
          "at the end %.3g.\n",
          holdError, holdJoint >= 0 ? mj_id2name(m, mjOBJ_JOINT, holdJoint) : "none", fabs(lastError));
    if (floor && floating >= 0) {
      const double* v = d->qvel + m->jnt_dofadr[floating];
      const double speed = sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
      printf("Floating body %s: height %.4g m, speed %.3g m/s: %s.\n",
             mj_id2name(m, mjOBJ_BODY, m->jnt_bodyid[floating]), d->qpos[m->jnt_qposadr[floating] + 2], speed,
             speed < kRestSpeed ? "at rest" : "still moving");
    }
  }
  free(homeQ);
  mj_deleteData(d);
  mj_deleteModel(m);
  return 0;
}
