// The float groups every binary mesh file stores the same way: a vector as x, y, z, a
// quaternion as x, y, z, w and a 3x3 matrix row by row, each value an f32.
#pragma once

#include "engine/matrix4.h"
#include "engine/mesh_file_support.h"
#include "engine/std_math.h"

namespace Kiv {

inline Vector3 ReadVector3(MemoryFile& file) {
    Vector3 v;
    v.x = file.F32();
    v.y = file.F32();
    v.z = file.F32();
    return v;
}

inline Vector4 ReadQuaternion(MemoryFile& file) {
    Vector4 q;
    q.x = file.F32();
    q.y = file.F32();
    q.z = file.F32();
    q.w = file.F32();
    return q;
}

inline Matrix3 ReadMatrix3(MemoryFile& file) {
    Matrix3 m;
    for (float& value : m) value = file.F32();
    return m;
}

}  // namespace Kiv
