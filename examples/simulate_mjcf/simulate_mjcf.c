/* Example: simulates an MJCF file written by kalo-export in MuJoCo and prints
 * the positions of its hinge and slide joints over time.
 *
 * Every hinge starts turning at 0.5 rad/s, so that a mechanism resting in
 * balance (an arm standing upright) leaves it; from then on only gravity
 * acts. Mesh files that cannot be found are replaced in memory by a small
 * tetrahedron: in an exported model meshes are pictures only, masses and
 * inertias come from the model itself.
 *
 * Usage: simulate_mjcf MODEL.xml [SECONDS]   (default 1 second)
 * Exit status: 0 simulated, 1 the model does not load, 2 bad arguments. */
#define _XOPEN_SOURCE 700 /* strdup */

#include <mujoco/mujoco.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { kMaxColumns = 6 };
static const double kStartSpeed = 0.5; /* rad/s, every hinge */
static const double kPrintEvery = 0.1; /* s */

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

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3 || argv[1][0] == '-') {
    fprintf(stderr, "usage: simulate_mjcf MODEL.xml [SECONDS]\n");
    return 2;
  }
  const double seconds = argc == 3 ? atof(argv[2]) : 1.0;
  if (!(seconds > 0 && seconds <= 3600)) {
    fprintf(stderr, "simulate_mjcf: SECONDS must be above 0 and at most 3600, not '%s'\n", argv[2]);
    return 2;
  }
  char* text = readText(argv[1]);
  if (!text) {
    fprintf(stderr, "simulate_mjcf: cannot read '%s'\n", argv[1]);
    return 1;
  }
  mjVFS* vfs = malloc(sizeof(mjVFS));
  if (!vfs) return 1;
  mj_defaultVFS(vfs);
  const int standIns = standInMissingMeshes(argv[1], text, vfs);
  free(text);

  char error[1000] = "";
  mjModel* m = mj_loadXML(argv[1], vfs, error, sizeof error);
  mj_deleteVFS(vfs);
  free(vfs);
  if (!m) {
    fprintf(stderr, "simulate_mjcf: MuJoCo cannot load '%s': %s\n", argv[1], error);
    return 1;
  }
  mjData* d = mj_makeData(m);
  printf("%s: %d bodies, %d degrees of freedom, %d loop constraints, %.6g kg", argv[1], m->nbody - 1, m->nv,
         m->neq, mj_getTotalmass(m));
  if (standIns > 0) printf(" (%d mesh files not found: small stand-ins shown)", standIns);
  printf("\n");

  int columns[kMaxColumns], n = 0;
  for (int j = 0; j < m->njnt; ++j) {
    if (m->jnt_type[j] == mjJNT_HINGE) d->qvel[m->jnt_dofadr[j]] = kStartSpeed;
    if ((m->jnt_type[j] == mjJNT_HINGE || m->jnt_type[j] == mjJNT_SLIDE) && n < kMaxColumns) columns[n++] = j;
  }
  printf("Every hinge starts at %.2g rad/s; then gravity acts. Columns:\n", kStartSpeed);
  for (int c = 0; c < n; ++c) {
    const char* name = mj_id2name(m, mjOBJ_JOINT, columns[c]);
    printf("  [%d] %s (%s)\n", c + 1, name ? name : "(unnamed)",
           m->jnt_type[columns[c]] == mjJNT_HINGE ? "hinge, rad" : "slide, m");
  }
  printf("%7s", "t [s]");
  for (int c = 0; c < n; ++c) printf("  %9s[%d]", "", c + 1);
  printf("\n");

  const int stepsPerPrint = (int)(kPrintEvery / m->opt.timestep + 0.5);
  const int prints = (int)(seconds / kPrintEvery + 0.5);
  for (int p = 0; p <= prints; ++p) {
    if (p > 0)
      for (int s = 0; s < stepsPerPrint; ++s) mj_step(m, d);
    printf("%7.3f", d->time);
    for (int c = 0; c < n; ++c) printf("  %12.6f", d->qpos[m->jnt_qposadr[columns[c]]]);
    printf("\n");
  }
  mj_deleteData(d);
  mj_deleteModel(m);
  return 0;
}
