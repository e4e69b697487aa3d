// Helpers of the old-config upgrade (old_config_soup.h).
#include "validation/darodi/old_config_soup.h"

#include "engine/file_path.h"
#include "validation/darodi/data_manager.h"

namespace DAROdi {

void AddMeshEntry(ACSChunkRef& table, const char* name, const std::string& mesh, int autoCreate) {
    ACSChunkRef entry;
    entry.SetNamedTagString("mesh", mesh.c_str());
    entry.SetNamedTagInt("auto-create", autoCreate);
    table.SetNamedSoup(name, entry);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    Kiv::File::Path path{std::string_view(folder)};
    path.AddPath(name.c_str());
    return std::string(path.View());
}

std::unique_ptr<CheckedMesh> LoadMeshForInspection(const std::string& meshPath) {
    const std::string assetPath(DataManager::Instance().GetAssetPath().View());
    auto mesh = std::make_unique<CheckedMesh>(false);
    if (!mesh->Load(Kiv::PString(JoinPath(assetPath, meshPath)), nullptr)) return nullptr;
    return mesh;
}

} // namespace DAROdi
