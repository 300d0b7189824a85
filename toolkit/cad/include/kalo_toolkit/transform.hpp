#pragma once

#include <kalo_toolkit/export.hpp>

namespace kalo_toolkit {

/// Placement of a child frame in its parent: a point p maps to
/// scale * (rotation . p) + translation. The rotation is stored column by column.
class KALO_TOOLKIT_API Transform {
 public:
  Transform();
  Transform(const double* rotation, const double* translation, double scale);
  virtual ~Transform();

  const double* getRotation() const { return rotation; }
  const double* getTranslation() const { return translation; }
  double getScale() const { return scale; }

  double rotation[9];
  double translation[3];
  double scale;
};

}  // namespace kalo_toolkit
