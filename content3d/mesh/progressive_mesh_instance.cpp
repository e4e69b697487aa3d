// The progressive mesh instance: every chunk its own, detail raised and lowered by whole
// steps of the definition (vertices, faces and index deltas).
#include "content3d/mesh/dynamic_mesh_instances.h"

#include "content3d/mesh/geometry_base_resource.h"

namespace Kiv {

bool KodrinProgressiveMeshInstance::InitFromResource(KodrinGeometryBaseResource& resource) {
    if (!dynamic_cast<const KodrinProgressiveMeshDefinition*>(resource.GetDefinition())) return false;
    return KodrinIndexedMeshInstance::InitFromResource(resource);
}

void KodrinProgressiveMeshInstance::InitFromDefinition(const KodrinIndexedMeshDefinition& definition) {
    KodrinIndexedMeshInstance::InitFromDefinition(definition);
    definition_ = dynamic_cast<const KodrinProgressiveMeshDefinition*>(&definition);
    MakeEveryChunkUnique();
    const size_t steps = definition_ ? definition_->GetSteps().size() : 0;
    currentStep_ = steps == 0 ? 0 : static_cast<uint32_t>(steps - 1);
    ScalableDetail::Init(definition.GetFaceTotal());
}

void KodrinProgressiveMeshInstance::MakeEveryChunkUnique() {
    MakeChunkArrayUnique();
    for (uint32_t i = 0; i < GetChunkCount(); ++i) {
        MakeChunkUnique(i);
        PrepareChunk(*GetChunk(i));
    }
}

Particle* KodrinProgressiveMeshInstance::CreateInstance() const {
    auto* copy = new KodrinProgressiveMeshInstance(GetRenderKernel());
    copy->CopyFrom(*this);
    copy->CopyDetailFrom(*this);
    return copy;
}

void KodrinProgressiveMeshInstance::CopyDetailFrom(const KodrinProgressiveMeshInstance& source) {
    ScalableDetail::InitInstance(source);
    definition_ = source.definition_;
    currentStep_ = source.currentStep_;
    MakeEveryChunkUnique();
}

uint32_t KodrinProgressiveMeshInstance::StepFaces(uint32_t k) const {
    const ProgressiveStep& step = definition_->GetSteps()[k];
    uint32_t faces = 0;
    for (uint32_t s = 0; s < step.chunkStepCount; ++s) {
        const ProgressiveChunkStep& chunkStep = definition_->GetChunkSteps()[step.firstChunkStep + s];
        for (uint32_t c = 0; c < chunkStep.changeCount; ++c) {
            faces += definition_->GetChanges()[chunkStep.firstChange + c].facesAdded;
        }
    }
    return faces;
}

void KodrinProgressiveMeshInstance::ChangeStep(uint32_t k, int sign) {
    const ProgressiveStep& step = definition_->GetSteps()[k];
    for (uint32_t s = 0; s < step.chunkStepCount; ++s) {
        const ProgressiveChunkStep& chunkStep = definition_->GetChunkSteps()[step.firstChunkStep + s];
        GeometryChunk* chunk = GetChunk(chunkStep.chunk);
        if (!chunk) continue;
        uint16_t* indices = chunk->GetIndices();
        for (uint32_t c = 0; c < chunkStep.changeCount; ++c) {
            const ProgressiveChange& change = definition_->GetChanges()[chunkStep.firstChange + c];
            chunk->SetDrawnCounts(chunk->GetVertexCount() + sign * static_cast<int>(change.verticesAdded),
                                  chunk->GetPrimitiveCount() + sign * static_cast<int>(change.facesAdded));
            for (uint32_t p = 0; p < change.positionCount; ++p) {
                const int32_t position = definition_->GetPositions()[change.firstPosition + p];
                indices[position] = static_cast<uint16_t>(indices[position] + sign * change.indexDelta);
            }
        }
    }
    const uint32_t faces = StepFaces(k);
    SetCurrentFaceCount(sign > 0 ? GetCurrentFaceCount() + faces : GetCurrentFaceCount() - faces);
}

void KodrinProgressiveMeshInstance::RaiseDetail(uint32_t target) {
    if (!definition_) return;
    const size_t steps = definition_->GetSteps().size();
    while (GetCurrentFaceCount() < target && currentStep_ + 1 < steps) {
        ++currentStep_;
        ChangeStep(currentStep_, 1);
    }
}

void KodrinProgressiveMeshInstance::LowerDetail(uint32_t target) {
    if (!definition_) return;
    while (GetCurrentFaceCount() > target && currentStep_ > 0) {
        const uint32_t faces = StepFaces(currentStep_);
        if (faces > GetCurrentFaceCount() || GetCurrentFaceCount() - faces < target) return;
        ChangeStep(currentStep_, -1);
        --currentStep_;
    }
}

}  // namespace Kiv
