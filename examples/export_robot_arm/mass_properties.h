/* Mass properties of rigid parts and of a rigid sub-assembly made of them, in
 * the order the kalo C interface takes them: inertia Ixx, Iyy, Izz, Ixy, Ixz,
 * Iyz (tensor elements) about the centre of gravity, in the part's axes.
 * Header-only so that the example stays one translation unit. */
#ifndef EXPORT_ROBOT_ARM_MASS_PROPERTIES_H
#define EXPORT_ROBOT_ARM_MASS_PROPERTIES_H

typedef struct MassProperties {
  double mass;
  double inertia[6];
  double cg[3];
} MassProperties;

/* A solid box of edge lengths size[0..2] along x, y, z, centred at `centre`. */
static inline MassProperties boxMassProperties(double mass, const double size[3], const double centre[3]) {
  MassProperties p;
  const double x2 = size[0] * size[0], y2 = size[1] * size[1], z2 = size[2] * size[2];
  p.mass = mass;
  p.inertia[0] = mass * (y2 + z2) / 12.0;
  p.inertia[1] = mass * (x2 + z2) / 12.0;
  p.inertia[2] = mass * (x2 + y2) / 12.0;
  p.inertia[3] = p.inertia[4] = p.inertia[5] = 0.0;
  for (int i = 0; i < 3; ++i) p.cg[i] = centre[i];
  return p;
}

static inline void inertiaToMatrix(const double in[6], double m[3][3]) {
  m[0][0] = in[0], m[1][1] = in[1], m[2][2] = in[2];
  m[0][1] = m[1][0] = in[3];
  m[0][2] = m[2][0] = in[4];
  m[1][2] = m[2][1] = in[5];
}

/* Adds `part`, placed in the assembly by rotation (9 values column by column,
 * as the C interface takes them) and translation, to the running sums. */
static inline void addPlacedPart(const MassProperties* part, const double rotation[9],
                                 const double translation[3], double* mass, double firstMoment[3],
                                 double secondAboutOrigin[3][3]) {
  double local[3][3], turned[3][3], cg[3];
  inertiaToMatrix(part->inertia, local);
  /* R I R^T, with R[i][j] = rotation[i + 3 j]. */
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      double s = 0.0;
      for (int k = 0; k < 3; ++k)
        for (int l = 0; l < 3; ++l) s += rotation[i + 3 * k] * local[k][l] * rotation[j + 3 * l];
      turned[i][j] = s;
    }
  for (int i = 0; i < 3; ++i)
    cg[i] = rotation[i] * part->cg[0] + rotation[i + 3] * part->cg[1] + rotation[i + 6] * part->cg[2] +
            translation[i];
  /* Parallel axes: about the assembly's origin, I + m (|c|^2 E - c c^T). */
  const double c2 = cg[0] * cg[0] + cg[1] * cg[1] + cg[2] * cg[2];
  for (int i = 0; i < 3; ++i) {
    firstMoment[i] += part->mass * cg[i];
    for (int j = 0; j < 3; ++j)
      secondAboutOrigin[i][j] += turned[i][j] + part->mass * ((i == j ? c2 : 0.0) - cg[i] * cg[j]);
  }
  *mass += part->mass;
}

/* The rigid whole of `count` placed parts: total mass, common centre of
 * gravity and the inertia about it (parallel-axis theorem, back from the
 * origin to the centre of gravity). */
static inline MassProperties combineMassProperties(int count, const MassProperties* parts,
                                                   const double* rotations, const double* translations) {
  MassProperties whole;
  double firstMoment[3] = {0, 0, 0}, about[3][3] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
  whole.mass = 0.0;
  for (int k = 0; k < count; ++k)
    addPlacedPart(&parts[k], rotations + 9 * k, translations + 3 * k, &whole.mass, firstMoment, about);
  for (int i = 0; i < 3; ++i) whole.cg[i] = whole.mass > 0 ? firstMoment[i] / whole.mass : 0.0;
  const double* c = whole.cg;
  const double c2 = c[0] * c[0] + c[1] * c[1] + c[2] * c[2];
  double atCg[3][3];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) atCg[i][j] = about[i][j] - whole.mass * ((i == j ? c2 : 0.0) - c[i] * c[j]);
  whole.inertia[0] = atCg[0][0], whole.inertia[1] = atCg[1][1], whole.inertia[2] = atCg[2][2];
  whole.inertia[3] = atCg[0][1], whole.inertia[4] = atCg[0][2], whole.inertia[5] = atCg[1][2];
  return whole;
}

#endif /* EXPORT_ROBOT_ARM_MASS_PROPERTIES_H */
