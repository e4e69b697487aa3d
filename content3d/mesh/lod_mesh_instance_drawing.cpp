// LOD mesh instances in the engine's passes: the cull that picks the drawn level, drawing
// it, lighting per level and opacity over the distance levels.
#include "content3d/mesh/lod_mesh_instances.h"

#include "engine/view_point.h"

namespace Kiv {

uint32_t KodrinIndexedMeshLODInstance::HeldChunks(const LODLevel& level) {
    size_t held = level.chunkCount;
    if (level.chunks.size() < held) held = level.chunks.size();
    if (level.materials.size() < held) held = level.materials.size();
    return static_cast<uint32_t>(held);
}

void KodrinIndexedMeshLODInstance::Cull(ViewPoint& viewpoint, const Matrix4& matrix) {
    SetWorldMatrix(matrix);
    BoundingSphere sphere = GetBoundingSphere();
    sphere.radius += kCullRadiusMargin;
    const float distance = FindLOD(sphere, viewpoint.GetCameraPosition());
    for (Particle* attachment : culledAttachments_) {
        const uint32_t flags = attachment->GetFlags();
        attachment->SetFlags(attachmentCutOff_ < distance ? flags | kCulledFlag : flags & ~kCulledFlag);
    }
    Particle::Cull(viewpoint, matrix);
    if (!(opacity_ > 0.0f)) SetLastCulledFrame(0);
    if (!WasVisited(viewpoint.GetFrameNumber())) return;
    if (!levelLocked_) drawLevel_ = FindLODIndex(distance);
    if (drawLevel_ >= levels_.size()) drawLevel_ = 0;
    if (renderCutOff_ > GetLastDistance()) return;
    for (Material* material : levels_[drawLevel_].materials) {
        if (material) material->Activate(-1);
    }
    viewpoint.AddParticle(this);
    StoreMatrix(matrix);
}

void KodrinIndexedMeshLODInstance::Render(Display& display, Viewport* viewport, const Matrix4& matrix) {
    if (drawLevel_ >= levels_.size()) return;
    const Matrix4 drawn = ScaledMatrix(matrix);
    UpdateLevelLighting(display, viewport, drawn, drawLevel_, false);
    const LODLevel& level = levels_[drawLevel_];
    DrawChunks(display, viewport, drawn, HeldChunks(level), level.chunks.data(), level.materials.data(), level.chunkBones);
}

void KodrinIndexedMeshLODInstance::RenderTriangles(Display& display, Viewport*, bool lighting) {
    if (drawLevel_ >= levels_.size()) return;
    const LODLevel& level = levels_[drawLevel_];
    RenderChunkSet(display, lighting, HeldChunks(level), level.chunks.data(), level.materials.data());
}

void KodrinIndexedMeshLODInstance::UpdateLevelLighting(Display&, Viewport*, const Matrix4&, uint32_t index, bool force) {
    if (index >= levels_.size() || index >= levelNeedsLighting_.size()) return;
    const LODLevel& level = levels_[index];
    if (levelNeedsLighting_[index] != 0) {
        CalculateLighting(HeldChunks(level), level.chunks.data(), level.materials.data());
        levelNeedsLighting_[index] = 0;
        if (levelsToLight_ > 0 && --levelsToLight_ == 0) LightTarget::SetUpdateLighting(false);
    } else if (force) {
        CalculateLighting(HeldChunks(level), level.chunks.data(), level.materials.data());
    }
}

void KodrinIndexedMeshLODInstance::UpdateAllLighting(Display& display, Viewport* viewport, const Matrix4& matrix,
                                                     bool distanceLevelsOnly, bool force) {
    const uint32_t count = distanceLevelsOnly ? GetDistanceLevelCount() : GetLevelCount();
    for (uint32_t i = 0; i < count && i < GetLevelCount(); ++i) UpdateLevelLighting(display, viewport, matrix, i, force);
}

void KodrinIndexedMeshLODInstance::UpdateLighting(Display& display, Viewport* viewport, const Matrix4& matrix,
                                                  bool force) {
    UpdateLevelLighting(display, viewport, matrix, selectedLevel_, force);
}

void KodrinIndexedMeshLODInstance::SetUpdateLighting(bool update) {
    for (uint8_t& entry : levelNeedsLighting_) entry = update ? 1 : 0;
    LightTarget::SetUpdateLighting(update);
    levelsToLight_ = update ? GetLevelCount() : 0;
}

void KodrinIndexedMeshLODInstance::SetOpacity(float opacity) {
    opacity_ = opacity;
    for (uint32_t i = 0; i < GetDistanceLevelCount() && i < GetLevelCount(); ++i) {
        for (GeometryChunk* chunk : levels_[i].chunks) chunk->SetOpacity(opacity);
    }
    Particle::SetOpacity(opacity);
}

}  // namespace Kiv
