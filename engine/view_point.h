// Kiv::ViewPoint: what one cull pass sees from: the camera, the display's frame number the
// pass belongs to, and the particles found worth drawing, in the order they were added.
// It also picks the mip level a material's textures are wanted at.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/scene.h"

namespace Kiv {

class ViewPoint {
public:
    ViewPoint(Camera* camera, uint32_t frameNumber) : camera_(camera), frameNumber_(frameNumber) {}

    Camera* GetCamera() const { return camera_; }
    // The camera's position; the origin without a camera.
    Vector3 GetCameraPosition() const;
    uint32_t GetFrameNumber() const { return frameNumber_; }

    // The finest mip level worth loading for a sphere: 0 when the camera is inside it or the
    // density is not positive, else floor(log2(distance to the near side x density)), never
    // below 0.
    int CalcWantedMipLevelsForCull(const BoundingSphere& sphere, float textureDensity) const;

    void AddParticle(Particle* particle) { particles_.push_back(particle); }
    const std::vector<Particle*>& GetParticles() const { return particles_; }

private:
    Camera* camera_;
    uint32_t frameNumber_;
    std::vector<Particle*> particles_;
};

}  // namespace Kiv
