// Bones of skeletons.
#include "engine/particle_bone.h"

namespace Kiv {

void ParticleBone::SetRest(const Vector3& restPosition, const Vector4& restOrientation) {
    position = framePosition = restPosition;
    orientation = frameOrientation = restOrientation;
}

ParticleBone* ParticleBone::Clone() const {
    auto* bone = new ParticleBone(GetName());
    bone->position = position;
    bone->orientation = orientation;
    bone->framePosition = framePosition;
    bone->frameOrientation = frameOrientation;
    bone->boxMin = boxMin;
    bone->boxMax = boxMax;
    bone->scale = scale;
    bone->scaleInUse = scaleInUse;
    bone->SetFlags(GetFlags());
    return bone;
}

ParticleBone* ParticleBone::CloneTree() const {
    ParticleBone* copy = Clone();
    for (const Particle* child : GetChildren()) {
        if (child->GetTypeId() == kTypeId) copy->AddChild(static_cast<const ParticleBone*>(child)->CloneTree());
    }
    return copy;
}

void ParticleBone::DeleteTree(Particle* bone) {
    if (!bone) return;
    while (!bone->GetChildren().empty()) {
        Particle* child = bone->GetChildren().back();
        bone->RemoveChild(child);
        DeleteTree(child);
    }
    if (bone->GetParent()) bone->GetParent()->RemoveChild(bone);
    delete bone;
}

}  // namespace Kiv
