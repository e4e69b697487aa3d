// Kiv::StdMath: the engine's quick scalar math. Sqrt takes a first guess of 1 / sqrt from a
// table of 256 entries indexed by the float's exponent parity and top seven mantissa bits,
// refines it with two Newton steps (no division) and multiplies by the value (relative
// error below 1e-6). Also the
// quaternion <-> 3 x 3 rotation conversions: a unit quaternion (x, y, z, w) has the rows
// (1-2(y²+z²), 2(xy+zw), 2(xz-yw)), (2(xy-zw), 1-2(x²+z²), 2(yz+xw)),
// (2(xz+yw), 2(yz-xw), 1-2(x²+y²)), for row vectors.
#pragma once

#include <array>

#include "engine/matrix4.h"

namespace Kiv {

using Matrix3 = std::array<float, 9>;  // row-major

class StdMath {
public:
    // 0 for zero, negative or NaN input.
    static float Sqrt(float value);
    // |v|, and v scaled to length 1 (unchanged when its length is 0).
    static float Length(const Vector3& v);
    static Vector3 Normalise(const Vector3& v);
};

// The rotation matrix of a quaternion (normalised first; identity for the zero one).
Matrix3 QuaternionToMatrix3(const Vector4& quaternion);
// The unit quaternion of a rotation matrix.
Vector4 Matrix3ToQuaternion(const Matrix3& matrix);

Vector3 Cross(const Vector3& a, const Vector3& b);
float Dot(const Vector3& a, const Vector3& b);
Vector3 Sub(const Vector3& a, const Vector3& b);

// Kiv::Plane: normal and distance (n . p = d), through three points; the normal is the
// normalised cross product of the edges (p1 - p0) x (p2 - p0), zero for a degenerate
// triangle.
struct Plane {
    Vector3 normal;
    float distance = 0;
    static Plane FromPoints(const Vector3& p0, const Vector3& p1, const Vector3& p2);
};

}  // namespace Kiv
