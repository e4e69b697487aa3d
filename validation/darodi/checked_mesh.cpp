// Loading a checked mesh and its animations (checked_mesh.h): the load step resolves the
// resource and builds the instance, then copies the attachment names and checks the
// materials' textures (checked_mesh_materials.cpp).
#include "foundation/soup/chunk.h"
#include "validation/darodi/checked_mesh.h"

#include "validation/darodi/data_manager.h"
#include "validation/darodi/error_handler.h"
#include "validation/darodi/finding_format.h"
#include "validation/darodi/mesh_shown_names.h"
#include "validation/darodi/report.h"

namespace DAROdi {

// An error about the context when there is one, else a subjectless one.
void ReportAboutContext(Container* context, const Kiv::PString& text) {
    if (context)
        Report::ErrorInContainer(context, text);
    else
        Report::Error(text);
}

namespace {

void TraceAboutContext(Container* context, const char* key) {
    if (!context) return;
    if (ErrorHandler* handler = ErrorHandler::Instance())
        handler->Trace(FormatFinding(key), context);
}

} // namespace

CheckedMesh::~CheckedMesh() = default;

bool CheckedMesh::Load(const Kiv::PString& path, Container* context) {
    meshName_ = path;
    reportContext_ = context;
    MeshCheckEngine* engine = GetMeshCheckEngine();
    return engine && engine->RunLoad(*this, meshName_, lod_, context);
}

bool CheckedMesh::RunLoadStep() {
    MeshCheckEngine* engine = GetMeshCheckEngine();
    return engine && LoadStep(*engine);
}

bool CheckedMesh::RunAnimationStep() { return LoadAnimationStep(); }

bool CheckedMesh::HasParticle(const Kiv::PString& name) const {
    return instance_ && instance_->HasParticle(name);
}

bool CheckedMesh::LoadStep(MeshCheckEngine& engine) {
    workingName_ = meshName_;
    if (!BuildInstance(engine)) return false;
    if (!instance_) return true; // a progressive mesh: found, nothing built
    attachments_ = instance_->GetAttachmentNames();
    LoadMaterials(engine);
    return true;
}

bool CheckedMesh::BuildInstance(MeshCheckEngine& engine) {
    const DataManager& manager = DataManager::Instance();
    std::unique_ptr<MeshCheckResource> resource = engine.GetResource(meshName_.ToLower());
    const MeshResourceKind kind = resource ? resource->GetKind() : MeshResourceKind::kNone;
    const bool found = kind != MeshResourceKind::kNone;
    if (!lod_ && kind == MeshResourceKind::kProgressive) return true;
    if (!found || (!lod_ && kind != MeshResourceKind::kGeometry)) {
        const bool reportMissing = reportContext_ && !manager.aliasFlag;
        if (found || reportMissing) {
            const std::string shown = lod_ ? LessFirstFolders(meshName_.View(), 1)
                                           : BelowAssetFolder(workingName_.View());
            ReportAboutContext(reportContext_, FormatFinding("$tet_mesh_load_mesh", shown));
        }
        return false;
    }
    const std::string shortName = LessFirstFolders(meshName_.View(), 1);
    if (resource->Lock() != 0) {
        if (reportContext_)
            Report::ErrorInContainer(reportContext_,
                                     FormatFinding("$tet_mesh_initialise_mesh", shortName));
        return false;
    }
    instance_ = resource->CreateInstance(lod_);
    resource->Unlock();
    if (!instance_) {
        if (reportContext_)
            Report::ErrorInContainer(reportContext_,
                                     FormatFinding("$tet_mesh_initialise_mesh", shortName));
        return false;
    }
    loaded_ = true;
    TraceAboutContext(reportContext_, "$tet_mesh_successfulmesh");
    return true;
}

bool CheckedMesh::LoadAnimation(const Kiv::PString& path) {
    animationName_ = path;
    MeshCheckEngine* engine = GetMeshCheckEngine();
    if (!engine) return LoadAnimationStep();
    return engine->RunAnimationLoad(*this, instance_.get(), animationName_);
}

bool CheckedMesh::LoadAnimationStep() {
    if (!loaded_) {
        ReportAboutContext(reportContext_,
                           FormatFinding("$tet_mesh_animationfailedmesh", animationName_));
        return false;
    }
    const Kiv::PString name = animationName_.ToLower();
    const int32_t result = instance_->AddAnimation(name);
    const char* key = result == 2   ? "$tet_mesh_animationfailedskeleton"
                      : result == 3 ? "$tet_mesh_animationfailedres"
                      : result == 4 ? "$tet_mesh_animationfailedobserver"
                                    : nullptr;
    if (key) {
        ReportAboutContext(reportContext_, FormatFinding(key, name));
        return false;
    }
    animationNames_.push_back(name);
    TraceAboutContext(reportContext_, "$tet_mesh_successfulanimation");
    return true;
}

} // namespace DAROdi
