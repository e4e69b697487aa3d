// Row-major 4 x 4 matrix operations.
#include "engine/matrix4.h"

#include <cmath>

namespace Kiv {

Matrix4 Matrix4::Translation(const Vector3& offset) {
    Matrix4 result;
    result.At(3, 0) = offset.x;
    result.At(3, 1) = offset.y;
    result.At(3, 2) = offset.z;
    return result;
}

Matrix4 Matrix4::operator*(const Matrix4& other) const {
    Matrix4 result;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) sum += At(row, k) * other.At(k, column);
            result.At(row, column) = sum;
        }
    }
    return result;
}

// Gauss-Jordan elimination with partial pivoting.
Matrix4 Matrix4::Inverse() const {
    double work[4][8];
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            work[row][column] = At(row, column);
            work[row][column + 4] = row == column ? 1.0 : 0.0;
        }
    }
    for (int column = 0; column < 4; ++column) {
        int pivot = column;
        for (int row = column + 1; row < 4; ++row) {
            if (std::fabs(work[row][column]) > std::fabs(work[pivot][column])) pivot = row;
        }
        if (std::fabs(work[pivot][column]) < 1e-12) return Matrix4();
        for (int k = 0; k < 8; ++k) std::swap(work[column][k], work[pivot][k]);
        const double scale = work[column][column];
        for (int k = 0; k < 8; ++k) work[column][k] /= scale;
        for (int row = 0; row < 4; ++row) {
            if (row == column) continue;
            const double factor = work[row][column];
            for (int k = 0; k < 8; ++k) work[row][k] -= factor * work[column][k];
        }
    }
    Matrix4 result;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            result.At(row, column) = static_cast<float>(work[row][column + 4]);
        }
    }
    return result;
}

Matrix4 Matrix4::RotationTransposed() const {
    Matrix4 result;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) result.At(row, column) = At(column, row);
    }
    return result;
}

Vector3 Matrix4::TransformDirection(const Vector3& v) const {
    return {v.x * At(0, 0) + v.y * At(1, 0) + v.z * At(2, 0),
            v.x * At(0, 1) + v.y * At(1, 1) + v.z * At(2, 1),
            v.x * At(0, 2) + v.y * At(1, 2) + v.z * At(2, 2)};
}

Vector3 Matrix4::TransformPoint(const Vector3& p) const {
    const Vector3 d = TransformDirection(p);
    const float w = p.x * At(0, 3) + p.y * At(1, 3) + p.z * At(2, 3) + At(3, 3);
    const float divisor = w == 0 ? 1.0f : w;
    return {(d.x + At(3, 0)) / divisor, (d.y + At(3, 1)) / divisor, (d.z + At(3, 2)) / divisor};
}

}  // namespace Kiv
