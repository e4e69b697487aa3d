// Kiv::LightTarget: a drawable that is lit by a list of lights. It keeps the lights, a mark
// telling that its lighting must be calculated again, and counts the calculations (the
// lighting itself is the display's, so a calculation is recorded, not performed).
#pragma once

#include <cstdint>

#include "engine/scene.h"

namespace Kiv {

class GeometryChunk;
class Material;

class LightTarget {
public:
    virtual ~LightTarget() = default;

    void AddLight(DisplayLight* light) { lights_.push_back(light); }
    void ClearLights() { lights_.clear(); }
    const LightList& GetLightList() const { return lights_; }

    virtual void SetUpdateLighting(bool update) { updateLighting_ = update; }
    bool GetUpdateLighting() const { return updateLighting_; }
    // Brings the lighting up to date when it is marked for update or force is set.
    virtual void UpdateLighting(Display& display, Viewport* viewport, const Matrix4& matrix, bool force) = 0;

    // One lighting calculation over chunks and their materials.
    void CalculateLighting(uint32_t chunkCount, GeometryChunk* const* chunks, Material* const* materials);
    uint32_t GetCalculationCount() const { return calculations_; }
    // Chunks covered by the last calculation.
    uint32_t GetLastCalculatedChunks() const { return lastChunkCount_; }

protected:
    // A copy's target: the same lights, marked for update.
    void InitInstance(const LightTarget& source) { lights_ = source.lights_; }

private:
    LightList lights_;
    bool updateLighting_ = true;
    uint32_t calculations_ = 0;
    uint32_t lastChunkCount_ = 0;
};

}  // namespace Kiv
