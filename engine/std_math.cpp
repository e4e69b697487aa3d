// Table square root, vector helpers, quaternion conversions and planes.
#include "engine/std_math.h"

#include <cmath>

namespace Kiv {

float StdMath::Length(const Vector3& v) { return Sqrt(Dot(v, v)); }

Vector3 StdMath::Normalise(const Vector3& v) {
    const float length = Length(v);
    if (length == 0.0f) return v;
    return {v.x / length, v.y / length, v.z / length};
}

Vector3 Cross(const Vector3& a, const Vector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vector3 Sub(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

Matrix3 QuaternionToMatrix3(const Vector4& q) {
    const float length = StdMath::Sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
    if (length == 0.0f) return {1, 0, 0, 0, 1, 0, 0, 0, 1};
    const float x = q.x / length, y = q.y / length, z = q.z / length, w = q.w / length;
    return {1 - 2 * (y * y + z * z), 2 * (x * y + z * w),     2 * (x * z - y * w),
            2 * (x * y - z * w),     1 - 2 * (x * x + z * z), 2 * (y * z + x * w),
            2 * (x * z + y * w),     2 * (y * z - x * w),     1 - 2 * (x * x + y * y)};
}

Vector4 Matrix3ToQuaternion(const Matrix3& m) {
    const float trace = m[0] + m[4] + m[8];
    Vector4 q;
    if (trace > 0.0f) {
        const float s = 2.0f * StdMath::Sqrt(trace + 1.0f);
        q = {(m[5] - m[7]) / s, (m[6] - m[2]) / s, (m[1] - m[3]) / s, 0.25f * s};
    } else if (m[0] > m[4] && m[0] > m[8]) {
        const float s = 2.0f * StdMath::Sqrt(1.0f + m[0] - m[4] - m[8]);
        q = {0.25f * s, (m[1] + m[3]) / s, (m[6] + m[2]) / s, (m[5] - m[7]) / s};
    } else if (m[4] > m[8]) {
        const float s = 2.0f * StdMath::Sqrt(1.0f + m[4] - m[0] - m[8]);
        q = {(m[1] + m[3]) / s, 0.25f * s, (m[5] + m[7]) / s, (m[6] - m[2]) / s};
    } else {
        const float s = 2.0f * StdMath::Sqrt(1.0f + m[8] - m[0] - m[4]);
        q = {(m[6] + m[2]) / s, (m[5] + m[7]) / s, 0.25f * s, (m[1] - m[3]) / s};
    }
    if (!std::isfinite(q.x + q.y + q.z + q.w)) return {0, 0, 0, 1};
    return q;
}

Plane Plane::FromPoints(const Vector3& p0, const Vector3& p1, const Vector3& p2) {
    Plane plane;
    plane.normal = StdMath::Normalise(Cross(Sub(p1, p0), Sub(p2, p0)));
    plane.distance = Dot(plane.normal, p0);
    return plane;
}

}  // namespace Kiv
