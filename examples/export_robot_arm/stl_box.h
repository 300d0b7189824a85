/* Binary STL files made of boxes: the stand-in for the part geometry a real
 * CAD plug-in would tessellate. Header-only so that the example stays one
 * translation unit. */
#ifndef EXPORT_ROBOT_ARM_STL_BOX_H
#define EXPORT_ROBOT_ARM_STL_BOX_H

#include <stdint.h>
#include <stdio.h>
#include <string.h>

/* One axis-aligned box: edge lengths along x, y, z and its centre. */
typedef struct StlBox {
  double size[3];
  double centre[3];
} StlBox;

/* Little-endian, as the format demands, whatever the machine. */
static inline int stlPutU32(FILE* f, uint32_t v) {
  const unsigned char b[4] = {(unsigned char)v, (unsigned char)(v >> 8), (unsigned char)(v >> 16),
                              (unsigned char)(v >> 24)};
  return fwrite(b, 1, 4, f) == 4;
}

static inline int stlPutFloat(FILE* f, double v) {
  float x = (float)v;
  uint32_t bits;
  memcpy(&bits, &x, 4);
  return stlPutU32(f, bits);
}

/* Writes the boxes as one binary STL file: 12 triangles a box, wound
 * counter-clockwise seen from outside, with their outward normals.
 * Returns 0, or -1 when the file cannot be written. */
static inline int writeStlBoxes(const char* path, int count, const StlBox* boxes) {
  /* Corner k of a box: bit 0 picks +x, bit 1 +y, bit 2 +z. Each face lists its
   * corners counter-clockwise seen from outside, then the axis and side of its normal. */
  static const int faces[6][6] = {{0, 4, 6, 2, 0, -1}, {1, 3, 7, 5, 0, +1}, {0, 1, 5, 4, 1, -1},
                                  {2, 6, 7, 3, 1, +1}, {0, 2, 3, 1, 2, -1}, {4, 5, 7, 6, 2, +1}};
  char header[80];
  FILE* f = fopen(path, "wb");
  if (f == NULL) return -1;
  memset(header, 0, sizeof header);
  strncpy(header, "kalo export_robot_arm example: boxes", sizeof header - 1);
  int ok = fwrite(header, 1, sizeof header, f) == sizeof header && stlPutU32(f, (uint32_t)(12 * count));
  for (int b = 0; b < count && ok; ++b) {
    double corner[8][3];
    for (int k = 0; k < 8; ++k)
      for (int i = 0; i < 3; ++i)
        corner[k][i] = boxes[b].centre[i] + ((k >> i) & 1 ? 0.5 : -0.5) * boxes[b].size[i];
    for (int s = 0; s < 6 && ok; ++s) {
      const int* face = faces[s];
      const int triangles[2][3] = {{face[0], face[1], face[2]}, {face[0], face[2], face[3]}};
      for (int t = 0; t < 2 && ok; ++t) {
        for (int i = 0; i < 3; ++i) ok = ok && stlPutFloat(f, i == face[4] ? face[5] : 0.0);
        for (int v = 0; v < 3; ++v)
          for (int i = 0; i < 3; ++i) ok = ok && stlPutFloat(f, corner[triangles[t][v]][i]);
        const unsigned char attributes[2] = {0, 0};
        ok = ok && fwrite(attributes, 1, 2, f) == 2;
      }
    }
  }
  if (fclose(f) != 0) ok = 0;
  return ok ? 0 : -1;
}

#endif /* EXPORT_ROBOT_ARM_STL_BOX_H */
