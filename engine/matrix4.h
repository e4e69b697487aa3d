// Small vector math of the engine's scene and display: RGBA colours, 3- and 4-vectors and
// the row-major 4 x 4 matrix. Matrices act on row vectors (v' = v x M), so the translation
// is the fourth row and a product A x B applies A first.
#pragma once

#include <array>

namespace Kiv {

struct Color {
    float r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Color&) const = default;
};

struct Vector3 {
    float x = 0, y = 0, z = 0;
    bool operator==(const Vector3&) const = default;
};

struct Vector4 {
    float x = 0, y = 0, z = 0, w = 0;
    bool operator==(const Vector4&) const = default;
};

class Matrix4 {
public:
    Matrix4() = default;  // identity
    explicit Matrix4(const std::array<float, 16>& values) : m_(values) {}

    float& At(int row, int column) { return m_[row * 4 + column]; }
    float At(int row, int column) const { return m_[row * 4 + column]; }
    const std::array<float, 16>& Values() const { return m_; }

    static Matrix4 Translation(const Vector3& offset);
    Matrix4 operator*(const Matrix4& other) const;
    bool operator==(const Matrix4&) const = default;

    // The general inverse; the identity for a singular matrix.
    Matrix4 Inverse() const;
    // The transpose of the upper 3 x 3 part, no translation, 1 in the last element.
    Matrix4 RotationTransposed() const;
    Vector3 GetTranslation() const { return {At(3, 0), At(3, 1), At(3, 2)}; }

    // (v, 0) x M: a direction, through the 3 x 3 part only.
    Vector3 TransformDirection(const Vector3& v) const;
    // (p, 1) x M divided by its fourth component.
    Vector3 TransformPoint(const Vector3& p) const;

private:
    std::array<float, 16> m_{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

}  // namespace Kiv
