// Kiv::AttachmentPoint and Kiv::ParticleStructure: the named points of a mesh instance
// where other objects attach ("a.light", "a.coupler.front"), and the structure particle
// that holds them, with an optional skeleton. GetSubNames splits a point's name at its
// first "." into the kind ("a") and the rest ("coupler.front"); a name without "." is all
// kind. A point hung under the skeleton lives in the skeleton root's space, so its global
// place is converted to local first.
#pragma once

#include <utility>

#include "engine/particle_bone.h"
#include "engine/std_math.h"

namespace Kiv {

class AttachmentPoint : public Particle {
public:
    AttachmentPoint(const PString& kind, const PString& subName);
    static std::pair<PString, PString> GetSubNames(const PString& name);

    const PString& GetKind() const { return kind_; }
    const PString& GetSubName() const { return subName_; }
    void Place(const Vector3& where, const Vector4& orientation);
    // Converts the global place to the space of frame (position and orientation).
    void GlobalToLocal(const Vector3& framePosition, const Vector4& frameOrientation);

    Vector3 position;
    Vector4 orientation{0, 0, 0, 1};

private:
    PString kind_;
    PString subName_;
};

class ParticleStructure : public Particle {
public:
    using Particle::Particle;
    void SetSkeleton(ParticleBone* root) { skeleton_ = root; }
    ParticleBone* GetSkeleton() const { return skeleton_; }
    // underSkeleton: hangs point under the skeleton root (false without a skeleton);
    // otherwise under this structure.
    bool AddAttachmentPoint(AttachmentPoint* point, bool underSkeleton);

private:
    ParticleBone* skeleton_ = nullptr;  // not owned
};

}  // namespace Kiv
