// Mesh instances in the engine's passes: culling, drawing through the materials (with the
// chunk-bone rule), opacity, lighting and the triangle queries.
#include "content3d/mesh/indexed_mesh_instance.h"

#include "content3d/mesh/mesh_triangles.h"
#include "engine/display.h"
#include "engine/view_point.h"

namespace Kiv {

void KodrinIndexedMeshInstance::Cull(ViewPoint& viewpoint, const Matrix4& matrix) {
    Particle::Cull(viewpoint, matrix);
    if (!(opacity_ > 0.0f)) return;
    ActivateMaterials(viewpoint.CalcWantedMipLevelsForCull(GetBoundingSphere(), textureDensity_));
    viewpoint.AddParticle(this);
    StoreMatrix(matrix);
}

void KodrinIndexedMeshInstance::ActivateMaterials(int level) const {
    for (uint32_t i = 0; i < chunkCount_; ++i) {
        if (Material* material = (*materials_)[i]) material->Activate(level);
    }
}

Matrix4 KodrinIndexedMeshInstance::ScaledMatrix(const Matrix4& matrix) const {
    if (!scaled_) return matrix;
    Matrix4 scaled = matrix;
    const float factors[3] = {scale_.x, scale_.y, scale_.z};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 4; ++column) scaled.At(row, column) *= factors[row];
    }
    return scaled;
}

void KodrinIndexedMeshInstance::Render(Display& display, Viewport* viewport, const Matrix4& matrix) {
    const Matrix4 drawn = ScaledMatrix(matrix);
    UpdateLighting(display, viewport, drawn, false);
    DrawChunks(display, viewport, drawn, chunkCount_, chunks_->data(), materials_->data(), chunkBones_);
}

void KodrinIndexedMeshInstance::DrawChunks(Display& display, Viewport* viewport, const Matrix4& matrix, uint32_t count,
                                           GeometryChunk* const* chunks, Material* const* materials,
                                           const std::vector<Particle*>& bones) const {
    for (uint32_t i = 0; i < count; ++i) {
        if (chunks[i]->GetPrimitiveCount() <= 0 || !materials[i]) continue;
        const Matrix4* model = &matrix;
        if (!bones.empty()) {
            const Particle* bone = i < bones.size() ? bones[i] : nullptr;
            if (!bone || !bone->WasVisited(display.GetFrameNumber())) continue;
            model = &bone->GetWorldMatrix();
        }
        materials[i]->CacheChunk(display, viewport, chunks[i], &GetLightList(), model);
    }
}

void KodrinIndexedMeshInstance::SetOpacity(float opacity) {
    opacity_ = opacity;
    for (uint32_t i = 0; i < chunkCount_; ++i) (*chunks_)[i]->SetOpacity(opacity);
    Particle::SetOpacity(opacity);
}

void KodrinIndexedMeshInstance::UpdateLighting(Display&, Viewport*, const Matrix4&, bool force) {
    if (!GetUpdateLighting() && !force) return;
    CalculateLighting(chunkCount_, chunks_->data(), materials_->data());
    LightTarget::SetUpdateLighting(false);
}

void KodrinIndexedMeshInstance::RenderTriangles(Display& display, Viewport*, bool lighting) {
    RenderChunkSet(display, lighting, chunkCount_, chunks_->data(), materials_->data());
}

void KodrinIndexedMeshInstance::RenderChunkSet(Display& display, bool lighting, uint32_t count,
                                               GeometryChunk* const* chunks, Material* const* materials) {
    const Matrix4& world = GetWorldMatrix();
    for (uint32_t i = 0; i < count; ++i) {
        GeometryChunk* chunk = chunks[i];
        if (chunk->GetPrimitiveCount() <= 0) continue;
        display.SetModelMatrix(world);
        const VertexProgram* program = chunk->GetVertexProgram(0);
        if (lighting && materials[i]) {
            materials[i]->SetLightingState(display, nullptr, chunk, program, &GetLightList(), &world, opacity_, true);
        }
        chunk->RenderGeometry(display, nullptr, program, false, 0);
    }
}

GeometryChunk* KodrinIndexedMeshInstance::FaceChunk(const TriangleFace& face) const { return GetChunk(face.chunk); }

bool KodrinIndexedMeshInstance::GetFaceNeighbour(const TriangleFace& face, int edge, TriangleFace& out) const {
    const GeometryChunk* chunk = FaceChunk(face);
    MeshTriangles::FaceRef found;
    const std::vector<GeometryChunk*> chunks(chunks_->Items().begin(), chunks_->Items().begin() + chunkCount_);
    if (!chunk || !MeshTriangles::FaceNeighbour(*chunk, face.face, edge, chunks, found)) return false;
    out = {this, found.chunk, found.face};
    return true;
}

Vector3 KodrinIndexedMeshInstance::GetFaceCentroid(const TriangleFace& face) const {
    const GeometryChunk* chunk = FaceChunk(face);
    return chunk ? MeshTriangles::FaceCentroid(*chunk, face.face) : Vector3{};
}

Vector3 KodrinIndexedMeshInstance::GetFaceNormal(const TriangleFace& face) const {
    GeometryChunk* chunk = FaceChunk(face);
    return chunk ? MeshTriangles::FaceNormal(*chunk, face.face) : Vector3{1, 0, 0};
}

bool KodrinIndexedMeshInstance::GetFaceVertex(const TriangleFace& face, int k, Vector3& out) const {
    const GeometryChunk* chunk = FaceChunk(face);
    return chunk && MeshTriangles::FaceVertex(*chunk, face.face, k, out);
}

Material* KodrinIndexedMeshInstance::GetFaceMaterial(const TriangleFace& face) const { return GetMaterial(face.chunk); }

}  // namespace Kiv
