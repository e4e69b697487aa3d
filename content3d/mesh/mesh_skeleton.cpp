// The skeleton a skinned mesh's influences describe: one bone per influence, the first
// parentless one the root, later parentless ones and those whose parent is unknown hung
// under the root. A parent that would close a loop (a bone named as its own ancestor) is
// replaced by the root too, so the tree stays a tree.
#include "content3d/mesh/indexed_mesh_definition.h"

namespace Kiv {

namespace {

bool IsAncestorOrSelf(const Particle* bone, const Particle* candidate) {
    for (const Particle* p = candidate; p; p = p->GetParent()) {
        if (p == bone) return true;
    }
    return false;
}

}  // namespace

void KodrinIndexedMeshDefinition::BuildSkeletonFromInfluences() {
    if (influences_.empty()) return;
    std::vector<ParticleBone*> bones;
    for (const InfluenceDefinition& influence : influences_) {
        auto* bone = new ParticleBone(influence.name);
        bone->SetRest(influence.bindPosition, Matrix3ToQuaternion(influence.bindRotation));
        bone->boxMin = {-0.01f, -0.01f, -0.01f};
        bone->boxMax = {0.01f, 0.01f, 0.01f};
        bones.push_back(bone);
    }
    int root = -1;
    for (size_t i = 0; i < influences_.size(); ++i) {
        if (!influences_[i].parentName.IsEmpty()) continue;
        if (root < 0) {
            root = static_cast<int>(i);
        } else {
            influences_[i].parentName = influences_[static_cast<size_t>(root)].name;
        }
    }
    if (root < 0) {
        for (ParticleBone* bone : bones) delete bone;
        return;
    }
    ParticleBone* rootBone = bones[static_cast<size_t>(root)];
    for (size_t i = 0; i < influences_.size(); ++i) {
        if (static_cast<int>(i) == root) continue;
        InfluenceDefinition& influence = influences_[i];
        ParticleBone* parent = nullptr;
        for (size_t j = 0; j < influences_.size() && !parent; ++j) {
            if (influences_[j].name == influence.parentName) parent = bones[j];
        }
        if (!parent || IsAncestorOrSelf(bones[i], parent)) {
            influence.parentName = rootBone->GetName();
            parent = rootBone;
        }
        parent->AddChild(bones[i]);
    }
    ParticleBone::DeleteTree(skeletonRoot_);
    skeletonRoot_ = rootBone;
}

}  // namespace Kiv
