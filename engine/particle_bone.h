// Kiv::ParticleBone: one bone of a skeleton, a particle (type id 23) with a current
// position and orientation, the frame (rest) position and orientation it returns to, a
// visible bounding box and an optional scale. Children are other bones; the tree does not
// own them (Particle), so DeleteTree deletes a bone and everything below it.
#pragma once

#include "engine/matrix4.h"
#include "engine/scene.h"

namespace Kiv {

class ParticleBone : public Particle {
public:
    static constexpr int kTypeId = 23;

    using Particle::Particle;
    int GetTypeId() const override { return kTypeId; }

    Vector3 position;
    Vector4 orientation{0, 0, 0, 1};  // quaternion x, y, z, w
    Vector3 framePosition;
    Vector4 frameOrientation{0, 0, 0, 1};
    Vector3 boxMin;
    Vector3 boxMax;
    Vector3 scale{1, 1, 1};
    bool scaleInUse = false;

    // Sets the current and frame transforms alike.
    void SetRest(const Vector3& restPosition, const Vector4& restOrientation);
    // A bone with the same fields and name, without parent or children.
    ParticleBone* Clone() const;
    // A copy of the bone and of every bone below it (other particles are left out).
    ParticleBone* CloneTree() const;
    // Deletes bone and every particle below it (children unlinked first).
    static void DeleteTree(Particle* bone);
};

}  // namespace Kiv
