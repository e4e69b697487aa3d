// Posting mesh loads to the main thread, and what MeshData copies out of a definition.
#include "content3d/mesh/mesh_data.h"

#include "content3d/mesh/indexed_mesh_instance.h"

#include "foundation/jobs/tcx_callback.h"
#include "foundation/jobs/worker_job_queue.h"

namespace Kiv {

namespace {

struct Steps {
    MeshData::Step load = nullptr;
    MeshData::Step loadAnimation = nullptr;
    RenderKernel* kernel = nullptr;
};

Steps& Installed() {
    static Steps steps;
    return steps;
}

// Every particle below root, depth first, parents before children.
void CollectBelow(const Particle& root, std::vector<MeshBone>& bones) {
    for (const Particle* child : root.GetChildren()) {
        const auto* bone = dynamic_cast<const ParticleBone*>(child);
        bones.push_back({child->GetName(), bone ? bone->position : Vector3{}});
        CollectBelow(*child, bones);
    }
}

}  // namespace

void MeshData::SetSteps(Step load, Step loadAnimation) {
    Installed().load = load;
    Installed().loadAnimation = loadAnimation;
}

void MeshData::SetRenderKernel(RenderKernel* kernel) { Installed().kernel = kernel; }

RenderKernel* MeshData::GetRenderKernel() { return Installed().kernel; }

MeshData::~MeshData() {
    animator.reset();
    skeletonModifier.reset();
    while (!GetChildren().empty()) {
        Particle* child = GetChildren().back();
        RemoveChild(child);
        delete child;
    }
    instance = nullptr;
    SetFlags(GetFlags() & ~1u);
}

bool MeshData::Post(void (MeshData::*step)(intptr_t)) {
    bool success = false;
    PostWorkerJob(WorkerJobQueue::Singleton(), std::make_unique<TCXCallbackCPPVoidPtr<MeshData>>(this, step),
                  WorkerJobFlags::kMainThreadOnly | WorkerJobFlags::kCarried, reinterpret_cast<intptr_t>(&success));
    return success;
}

bool MeshData::Load(const PString& name, void* context) {
    meshName = name;
    reportContext = context;
    return Post(&MeshData::LoadStep);
}

bool MeshData::LoadAnimation(const PString& name) {
    animationName = name;
    return Post(&MeshData::LoadAnimationStep);
}

void MeshData::LoadStep(intptr_t success) { RunLoadStep(reinterpret_cast<bool*>(success)); }

void MeshData::RunLoadStep(bool* success) {
    if (Installed().load) Installed().load(*this, success);
}

KodrinIndexedMeshInstance* MeshData::GetMeshInstance() const { return dynamic_cast<KodrinIndexedMeshInstance*>(instance); }

uint32_t MeshData::GetFaceCount() const {
    const KodrinIndexedMeshInstance* mesh = GetMeshInstance();
    return mesh ? mesh->GetFaceCount() : 0;
}

void MeshData::UpdateLighting(Display& display, Viewport* viewport, const Matrix4& matrix, bool force) {
    KodrinIndexedMeshInstance* mesh = GetMeshInstance();
    if (!mesh) return;
    mesh->UpdateLighting(display, viewport, matrix, force);
    mesh->SetUpdateLighting(true);
}

void MeshData::LoadAnimationStep(intptr_t success) {
    if (Installed().loadAnimation) Installed().loadAnimation(*this, reinterpret_cast<bool*>(success));
}

PString MeshData::GetDefaultName() const {
    static const PString name("some name");
    return name;
}

const Vector3* MeshData::GetOrigin() const { return definition ? &definition->GetPosition() : nullptr; }

void MeshData::CollectBones(const KodrinIndexedMeshDefinition& definition, std::vector<MeshBone>& bones) {
    const ParticleBone* root = definition.GetSkeletonRoot();
    if (!root) return;
    std::vector<MeshBone> collected = {{root->GetName(), root->position}};
    CollectBelow(*root, collected);
    bones = std::move(collected);
}

void MeshData::CopyAttachments(const KodrinIndexedMeshDefinition& definition, MeshData& mesh) {
    mesh.attachments = definition.GetAttachments();
    for (MeshAttachment& attachment : mesh.attachments) {
        const std::string_view name = attachment.name.View();
        const size_t slash = name.rfind('/');
        if (slash != std::string_view::npos) attachment.name = PString(name.substr(slash + 1));
    }
}

}  // namespace Kiv
