// Kiv::Transformation: a rigid placement (rotation and translation) kept as a row-vector
// 4 x 4 matrix. MultiplyTransform places a child given by its rotation quaternion and
// position relative to a parent (R x T x parent, the translation rows added through the
// parent's axes); Transform carries a point through it. Skinning walks bone trees with it.
#pragma once

#include "engine/matrix4.h"
#include "engine/std_math.h"

namespace Kiv {

// The 4 x 4 rotation of a quaternion (identity translation).
Matrix4 RotationMatrix(const Vector4& rotation);

class Transformation {
public:
    Transformation() = default;
    explicit Transformation(const Matrix4& matrix) : matrix_(matrix) {}

    // The child placement R(rotation) x T(position) x parent.
    static Transformation MultiplyTransform(const Transformation& parent, const Vector4& rotation,
                                            const Vector3& position);
    Vector3 Transform(const Vector3& point) const { return matrix_.TransformPoint(point); }
    const Matrix4& GetMatrix() const { return matrix_; }
    Matrix4& GetMatrix() { return matrix_; }

private:
    Matrix4 matrix_;
};

}  // namespace Kiv
