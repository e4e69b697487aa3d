// The tag rules that look two levels up, at the container that holds the mesh and its
// lights: an attachment point of its kept mesh, and the lights a value names.
#include <string>

#include "validation/darodi/container.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/keywords.h"
#include "validation/darodi/mesh_object.h"
#include "validation/darodi/number_list.h"
#include "validation/darodi/report.h"
#include "validation/darodi/rules.h"

namespace DAROdi::Rules {

namespace {

// The grandparent of the tag's container: the container that holds the mesh.
Container* Grandparent(const Tag& tag) {
    const Container* parent = tag.parent ? tag.parent->parent : nullptr;
    return parent ? parent->parent : nullptr;
}

// The mesh file's path relative to the asset's folder when it lies inside it.
Kiv::File::Path ShownMeshPath(const MeshObject& mesh) {
    Kiv::File::Path path = mesh.GetFilePath();
    Kiv::File::Path folder = DataManager::Instance().GetAssetPath();
    if (!folder.IsEmpty() && folder.MakeRelativeTo(path.c_str())) return folder;
    return path;
}

} // namespace

bool MustBeOwnParent(Tag& tag, const ACSChunkRef&) {
    const MeshObject* mesh = DataManager::Instance().FindContainerMesh(Grandparent(tag));
    if (!mesh) return false;
    for (const Kiv::PString& attachment : mesh->GetAttachmentNames())
        if (attachment == tag.value) return true;
    const Kiv::File::Path shown = ShownMeshPath(*mesh);
    Report::ErrorInTag(&tag, FormatFinding("$tet_val_mustbeownparent", tag.value, shown.View()));
    return false;
}

bool MustBeInLightContainer(Tag& tag, const ACSChunkRef&) {
    const Container* holder = Grandparent(tag);
    const Container* lights = holder ? holder->FindChild(Words().lights) : nullptr;
    if (!lights) {
        Report::ErrorInTag(&tag, FormatFinding("$tet_val_musthavealightcontainer"));
        return false;
    }
    bool found = true;
    std::string_view rest = tag.value.View();
    while (true) {
        const size_t cut = rest.find_first_of(" ,");
        const int number = ParseIntC(rest.substr(0, cut));
        if (!lights->FindChild(Kiv::PString(std::to_string(number).c_str()))) {
            Report::ErrorInTag(&tag, FormatFinding("$tet_val_mustbeinlightcontainer", number));
            found = false;
        }
        if (cut == std::string_view::npos) break;
        rest.remove_prefix(cut + 1);
    }
    return found;
}

} // namespace DAROdi::Rules
