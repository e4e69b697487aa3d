// The texture checks of a loaded mesh (checked_mesh.h): the textures its definition failed
// to load, the primary image that a texture description file names, and every texture its
// materials name as the render kernel's texture manager knows it.
#include <cstring>

#include "engine/file.h"
#include "engine/file_path.h"
#include "link/kav/kav_user_data.h"
#include "validation/darodi/checked_mesh.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/finding_format.h"
#include "validation/darodi/mesh_shown_names.h"

namespace DAROdi {
namespace {

constexpr size_t kDescriptionLineBytes = 512;
constexpr char kPrimaryKey[] = "Primary=";

Kiv::File::Path LocationFolder() {
    return KAVUserData::GetLocationFolder(DataManager::Instance().GetAssetLocation());
}

// The path of a failed texture relative to the asset's folder, or whole when it lies
// elsewhere.
std::string BelowAssetFolderOnDisk(const Kiv::String& texture) {
    Kiv::File::Path full = LocationFolder();
    full.AddPath(texture.c_str());
    Kiv::File::Path folder = LocationFolder();
    folder.AddPath(DataManager::Instance().GetAssetPath().c_str());
    if (!folder.MakeRelativeTo(full.c_str())) return std::string(texture.View());
    return std::string(folder.View());
}

// The text after "Primary=" on the first line that starts with it, cut at its line end;
// false when the file does not open, holds no such line, or that line is its last.
bool ReadPrimaryName(const Kiv::File::Path& file, std::string& primary) {
    Kiv::File description;
    if (!description.Open(file.c_str(), Kiv::File::kOpenRead)) return false;
    char line[kDescriptionLineBytes];
    while (description.ReadLine(line, sizeof line) > 0) {
        if (std::strncmp(line, kPrimaryKey, sizeof kPrimaryKey - 1) != 0) continue;
        if (description.Eof()) return false;
        primary = line + sizeof kPrimaryKey - 1;
        primary.resize(primary.find_first_of("\r\n") == std::string::npos
                           ? primary.size()
                           : primary.find_first_of("\r\n"));
        return true;
    }
    return false;
}

} // namespace

void CheckedMesh::CheckTextureDescription(const Kiv::String& texture) const {
    Kiv::File::Path file = LocationFolder();
    file.AddPath(texture.c_str());
    std::string primary;
    if (!Kiv::File::Exists(file.c_str()) || !ReadPrimaryName(file, primary)) return;
    Kiv::File::Path image = file;
    image.DelName(true);
    image.AddPath(Kiv::PString(primary).ToLower().c_str());
    if (Kiv::File::Exists(image.c_str())) return;
    ReportAboutContext(reportContext_,
                       FormatFinding("$tet_mesh_load_texture", primary,
                                     LessFirstFolders(texture.View(), 2),
                                     LessFirstFolders(workingName_.View(), 2)));
}

void CheckedMesh::LoadMaterials(MeshCheckEngine& engine) const {
    const std::string meshShown = BelowAssetFolder(workingName_.View());
    for (const Kiv::String& failed : instance_->GetFailedTextures())
        ReportAboutContext(reportContext_, FormatFinding("$tet_mesh_failedmaterial",
                                                         BelowAssetFolderOnDisk(failed), meshShown));
    for (const std::vector<Kiv::String>& material : instance_->GetMaterialTextureNames()) {
        for (Kiv::String texture : material) {
            const Kiv::File::Path name(texture);
            if (name.IsExt("texture")) texture = Kiv::String(texture.Std() + ".txt");
            if (name.IsExt("txt") || name.IsExt("texture")) CheckTextureDescription(texture);
            if (engine.HasTexture(texture.ToPString())) continue;
            ReportAboutContext(reportContext_,
                               FormatFinding("$tet_mesh_load_texture", texture,
                                             LessFirstFolders(texture.View(), 2),
                                             LessFirstFolders(workingName_.View(), 2)));
        }
    }
}

} // namespace DAROdi
