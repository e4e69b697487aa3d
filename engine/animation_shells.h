// Kiv::SkeletonModifier and Kiv::Animator: the engine objects a loaded mesh keeps for its
// skeleton's pose and its animations. Only their lifetime is needed so far: they are made
// when a mesh loads and deleted with it; the mesh checks give them their work.
#pragma once

namespace Kiv {

class SkeletonModifier {
public:
    virtual ~SkeletonModifier() = default;
};

class Animator {
public:
    virtual ~Animator() = default;
};

}  // namespace Kiv
