// Kiv::StdMath: the engine's quick scalar math. Sqrt takes a first guess of 1 / sqrt from a
// table of 256 entries indexed by the float's exponent parity and top seven mantissa bits,
// refines it with two Newton steps (no division) and multiplies by the value (relative
// error below 1e-6). Also the
// quaternion <-> 3 x 3 rotation conversions: a unit quaternion (x, y, z, w) has the rows
// (1-2(y²+z²), 2(xy+zw), 2(xz-yw)), (2(xy-zw), 1-2(x²+z²), 2(yz+xw)),
// (2(xz+yw), 2(yz-xw), 1-2(x²+y²)), for row vectors.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "engine/matrix4.h"

namespace Kiv {

using Matrix3 = std::array<float, 9>;  // row-major

namespace detail {

// 1 / sqrt(x) for x in [1, 4), worked out while compiling (Newton steps in double from
// 0.5, below every root, so they rise to it).
constexpr double InverseSqrt(double x) {
    double y = 0.5;
    for (int i = 0; i < 40; ++i) y = y * (1.5 - 0.5 * x * y * y);
    return y;
}

// Inverse square roots of the mantissas 1.m (even exponents) and 2 x 1.m (odd), 128 steps
// each.
constexpr std::array<float, 256> MakeInverseSqrtTable() {
    std::array<float, 256> t{};
    for (int i = 0; i < 128; ++i) {
        const double mantissa = 1.0 + (i + 0.5) / 128.0;
        t[i] = static_cast<float>(InverseSqrt(mantissa));
        t[128 + i] = static_cast<float>(InverseSqrt(2.0 * mantissa));
    }
    return t;
}

inline constexpr std::array<float, 256> kInverseSqrtTable = MakeInverseSqrtTable();

}  // namespace detail

class StdMath {
public:
    // 0 for zero, negative or NaN input.
    static float Sqrt(float value) {
        if (!(value >= std::numeric_limits<float>::min())) return value > 0.0f ? SmallSqrt(value) : 0.0f;
        if (value > std::numeric_limits<float>::max()) return value;
        uint32_t bits;
        std::memcpy(&bits, &value, 4);
        const int exponent = static_cast<int>(bits >> 23) - 127;
        const int odd = exponent & 1;
        const uint32_t scaleBits = static_cast<uint32_t>(127 - (exponent - odd) / 2) << 23;
        float scale;
        std::memcpy(&scale, &scaleBits, 4);
        float inverse = detail::kInverseSqrtTable[static_cast<uint32_t>(odd) * 128 + (bits >> 16 & 127)] * scale;
        inverse *= 1.5f - 0.5f * value * inverse * inverse;
        inverse *= 1.5f - 0.5f * value * inverse * inverse;
        return value * inverse;
    }
    // |v|, and v scaled to length 1 (unchanged when its length is 0).
    static float Length(const Vector3& v);
    static Vector3 Normalise(const Vector3& v);

private:
    // Values below the smallest normal float, scaled up by 2^24 first.
    static float SmallSqrt(float value) { return Sqrt(value * 16777216.0f) / 4096.0f; }
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
