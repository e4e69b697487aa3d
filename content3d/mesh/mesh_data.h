// MeshData: the scene object through which validation opens an indexed mesh. It is a
// particle hung into the validation scene; Load and LoadAnimation post their step to the
// main thread (flags 3 on the global job queue: run at once when called there, else the
// caller waits) with the address of a success byte, and answer that byte. The steps
// themselves belong to validation, which installs them with SetSteps; until it does, a
// load reports failure. The object keeps the definition, the attachments (names stripped
// to their last path part), the skeleton's bones and the animations that loaded.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "content3d/mesh/indexed_mesh_definition.h"
#include "engine/animation_shells.h"
#include "engine/scene.h"

namespace Kiv {

class Display;
class KodrinIndexedMeshInstance;
class RenderKernel;
class Viewport;

struct MeshBone {
    PString name;
    Vector3 position;
};

class MeshData : public Particle {
public:
    // A load step: runs on the main thread and sets *success.
    using Step = void (*)(MeshData& mesh, bool* success);
    // Installed by validation at start-up: the mesh and the animation load steps.
    static void SetSteps(Step load, Step loadAnimation);
    // The render kernel the load steps hand to mesh resources.
    static void SetRenderKernel(RenderKernel* kernel);
    static RenderKernel* GetRenderKernel();

    MeshData() = default;
    ~MeshData() override;

    virtual bool Load(const PString& meshName, void* reportContext);
    virtual bool LoadAnimation(const PString& animationName);
    // "some name".
    virtual PString GetDefaultName() const;
    // The definition's origin; null without a definition.
    virtual const Vector3* GetOrigin() const;
    virtual size_t GetAttachmentCount() const { return attachments.size(); }
    virtual size_t GetBoneCount() const { return bones.size(); }
    virtual size_t GetExtraCount() const { return extraRecords.size(); }
    virtual const std::vector<MeshAttachment>& GetAttachments() const { return attachments; }
    virtual const std::vector<MeshBone>& GetBones() const { return bones; }
    virtual const std::vector<MeshAttachment>& GetExtraList() const { return extraRecords; }
    virtual const std::vector<PString>& GetAnimations() const { return animationNames; }
    // The mesh instance the load made (null when none was made or it is not one).
    virtual KodrinIndexedMeshInstance* GetMeshInstance() const;
    // The instance field, whatever particle it holds.
    virtual Particle* GetInstance() const { return instance; }
    virtual KodrinIndexedMeshDefinition* GetDefinition() const { return definition; }
    // The mesh instance's faces (its selected level's for a LOD mesh); 0 without one.
    virtual uint32_t GetFaceCount() const;
    // Brings the mesh instance's lighting up to date, then marks it for the next update.
    virtual void UpdateLighting(Display& display, Viewport* viewport, const Matrix4& matrix, bool force);

    // Every particle of the definition's skeleton (the root, then below it depth first)
    // gives {name, position}; without a root bones is left as it was.
    static void CollectBones(const KodrinIndexedMeshDefinition& definition, std::vector<MeshBone>& bones);
    // The definition's attachments into mesh, each name cut after its last "/".
    static void CopyAttachments(const KodrinIndexedMeshDefinition& definition, MeshData& mesh);

    // What the load steps fill.
    Particle* instance = nullptr;  // a child particle, deleted with the children
    KodrinIndexedMeshDefinition* definition = nullptr;
    PString meshName;
    PString animationName;
    PString workingNames[3];
    std::vector<MeshAttachment> attachments;
    std::vector<MeshBone> bones;
    std::vector<MeshAttachment> extraRecords;
    std::vector<PString> animationNames;
    std::unique_ptr<SkeletonModifier> skeletonModifier;
    std::unique_ptr<Animator> animator;
    void* reportContext = nullptr;
    bool loaded = false;

protected:
    // Runs the installed load step on the main thread.
    virtual void RunLoadStep(bool* success);

private:
    void LoadStep(intptr_t success);
    void LoadAnimationStep(intptr_t success);
    bool Post(void (MeshData::*step)(intptr_t));
};

}  // namespace Kiv
