// Composing placements for bone trees.
#include "engine/transformation.h"

namespace Kiv {

Matrix4 RotationMatrix(const Vector4& rotation) {
    const Matrix3 r = QuaternionToMatrix3(rotation);
    Matrix4 m;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) m.At(row, column) = r[static_cast<size_t>(row * 3 + column)];
    }
    return m;
}

Transformation Transformation::MultiplyTransform(const Transformation& parent, const Vector4& rotation,
                                                 const Vector3& position) {
    return Transformation(RotationMatrix(rotation) * Matrix4::Translation(position) * parent.matrix_);
}

}  // namespace Kiv
