#pragma once

// Small fixed-size algebra of the simulator export. Matrices are nine values
// stored column by column, as everywhere in the multibody model.

#include <array>
#include <cstddef>

namespace kalo_toolkit {
namespace sim {

using Vec3 = std::array<double, 3>;
using Mat3 = std::array<double, 9>;
/// w, x, y, z with w >= 0.
using Quat = std::array<double, 4>;

inline double at(const Mat3& m, int row, int col) { return m[static_cast<std::size_t>(col * 3 + row)]; }
inline double& at(Mat3& m, int row, int col) { return m[static_cast<std::size_t>(col * 3 + row)]; }

Mat3 identity3();
Vec3 sub(const Vec3& a, const Vec3& b);
Vec3 scaled(const Vec3& a, double s);
Vec3 times(const Mat3& m, const Vec3& v);
Mat3 times(const Mat3& a, const Mat3& b);
Mat3 transposed(const Mat3& m);
/// R * I * R^T: a tensor given in the axes R maps from, expressed in the outer axes.
Mat3 rotateTensor(const Mat3& r, const Mat3& tensor);
double norm(const Vec3& v);
Vec3 cross(const Vec3& a, const Vec3& b);

/// Eigen-decomposition of a symmetric matrix by cyclic Jacobi rotations: values
/// ascending, vectors as the columns of `vectors`.
void symmetricEigen(const Mat3& m, Vec3* values, Mat3* vectors);

/// The unit quaternion of a rotation matrix (normalised, sign chosen so w >= 0).
Quat quatFromMatrix(const Mat3& r);

/// Roll, pitch, yaw of R = Rz(yaw) * Ry(pitch) * Rx(roll), the fixed-axis angles of URDF and SDFormat poses.
Vec3 rpyFromMatrix(const Mat3& r);

}  // namespace sim
}  // namespace kalo_toolkit
