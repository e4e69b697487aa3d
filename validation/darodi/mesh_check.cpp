// The mesh-file check of a file-path tag (mesh_check.h): the file's extension picks the
// load, a loaded mesh is put into the scene, and LOD meshes get their performance check.
#include "validation/darodi/mesh_check.h"

#include <string>

#include "link/kav/kav_user_data.h"
#include "validation/darodi/build_stamp.h"
#include "validation/darodi/checked_mesh.h"
#include "validation/darodi/container.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/finding_format.h"
#include "validation/darodi/mesh_shown_names.h"
#include "validation/darodi/report.h"

namespace DAROdi {
namespace {

constexpr int kUnsupportedFormatErrorBuild = 290;
constexpr int32_t kLowestLevelFaces = 300;

// The absolute path made relative to the location's folder, with "\" separators.
Kiv::File::Path CheckedPath(const Kiv::File::Path& meshFile) {
    Kiv::File::Path path = meshFile;
    if (path.IsAbsolute()) {
        Kiv::File::Path folder =
            KAVUserData::GetLocationFolder(DataManager::Instance().GetAssetLocation());
        if (folder.MakeRelativeTo(path.c_str())) path = folder;
    }
    path.ReplaceForwardSlashes();
    return path;
}

CheckedMesh* CurrentCheckedMesh() {
    return dynamic_cast<CheckedMesh*>(DataManager::Instance().GetCurrentMesh());
}

// Shows mesh in place of the mesh shown before.
void Install(CheckedMesh& mesh, Container& owner) {
    DataManager& manager = DataManager::Instance();
    if (CheckedMesh* current = CurrentCheckedMesh())
        if (current->GetInstance()) current->GetInstance()->SetShown(false);
    if (MeshCheckInstance* instance = mesh.GetInstance()) {
        if (MeshCheckEngine* engine = GetMeshCheckEngine()) engine->AddToScene(*instance);
        instance->SetShown(true);
    }
    manager.OnAttachmentsChanged();
    manager.OnUniqueAttachmentsChanged();
    manager.OnRegisterHook(&owner);
}

std::unique_ptr<CheckedMesh> LoadAndInstall(const Kiv::File::Path& path, bool lod,
                                            Container& owner) {
    auto mesh = std::make_unique<CheckedMesh>(lod);
    if (!mesh->Load(Kiv::PString(path.View()), &owner)) {
        DataManager::Instance().meshFailed = true;
        return nullptr;
    }
    Install(*mesh, owner);
    return mesh;
}

bool SkipsPerformanceCheck(const Container& owner) {
    if (!owner.parent) return true;
    const Kiv::String kind = owner.parent->GetConfig().GetNamedTag("kind");
    for (const char* exempt : {"traincar", "bogey", "interior", "pantograph", "drivercharacter"})
        if (kind == exempt) return true;
    return false;
}

void CheckLODPerformance(CheckedMesh& mesh, Container& owner, const std::string& shown) {
    if (mesh.GetAttachmentNames().empty() && mesh.GetAnimationNames().empty())
        Report::WarningInContainer(&owner,
                                   FormatFinding("$tet_lm_performance_no_attachments", shown));
    MeshCheckInstance* instance = mesh.GetInstance();
    if (!instance) return;
    const int32_t levels = instance->GetLevelCount();
    if (levels == 1)
        Report::WarningInContainer(&owner, FormatFinding("$tet_lm_performance_single_lod", shown));
    if (levels < 1) return;
    instance->SelectLevel(levels - 1);
    if (instance->GetFaceCount() < kLowestLevelFaces)
        Report::WarningInContainer(&owner, FormatFinding("$tet_lm_performance_low_poly", shown));
}

void CheckUnsupportedFormat(const Kiv::File::Path& path, Container& owner) {
    DataManager& manager = DataManager::Instance();
    manager.meshFailed = true;
    const Kiv::PString text = FormatFinding("$tet_dm_unsupportedformat");
    if (StampHundredthsRounded(manager.buildStamp) >= kUnsupportedFormatErrorBuild)
        Report::ErrorInContainer(&owner, text);
    else
        Report::WarningInContainer(&owner, text);
    CheckedMesh mesh(false);
    mesh.Load(Kiv::PString(path.View()), &owner);
}

void CheckAnimation(const Kiv::File::Path& path, Container& owner) {
    DataManager& manager = DataManager::Instance();
    CheckedMesh* current = CurrentCheckedMesh();
    if (current && current->IsLoaded()) {
        current->LoadAnimation(Kiv::PString(path.View()));
        return;
    }
    if (manager.meshFailed || manager.aliasFlag) return;
    manager.meshFailed = true;
    Report::ErrorInContainer(&owner, FormatFinding("$tet_dm_animationfailed", path.View()));
}

} // namespace

std::unique_ptr<MeshObject> CheckMeshPerformance(const Kiv::File::Path& meshFile, Container& owner) {
    if (!GetMeshCheckEngine() || meshFile.IsEmpty() || meshFile.GetExt().IsEmpty()) return nullptr;
    const Kiv::File::Path path = CheckedPath(meshFile);
    if (path.IsExt("im")) return LoadAndInstall(path, false, owner);
    if (path.IsExt("lm")) {
        std::unique_ptr<CheckedMesh> mesh = LoadAndInstall(path, true, owner);
        if (mesh && !SkipsPerformanceCheck(owner))
            CheckLODPerformance(*mesh, owner, BelowAssetFolder(path.View()));
        return mesh;
    }
    if (path.IsExt("txt")) {
        Kiv::File::Path shortened = path;
        shortened.SetExt("");
        if (!shortened.IsExt("lm")) return nullptr;
        return LoadAndInstall(shortened, true, owner);
    }
    if (path.IsExt("pm")) CheckUnsupportedFormat(path, owner);
    if (path.IsExt("kin")) CheckAnimation(path, owner);
    return nullptr;
}

} // namespace DAROdi
