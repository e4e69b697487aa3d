// The check of list-sourced combobox and listbox values: a value passes when a container
// registered under the list's name, or an attachment point of a kept mesh, bears it. While
// the asset's meshes cannot be known (an alias, a mesh asset, a mesh that failed) values
// pass; otherwise the finding names where the value should have come from.
#include <string>

#include "validation/darodi/container.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/keywords.h"
#include "validation/darodi/mesh_object.h"
#include "validation/darodi/report.h"
#include "validation/darodi/tag_export.h"

namespace DAROdi {

namespace {

// The mesh path less its first two folders.
std::string ShownMeshPath(const MeshObject& mesh) {
    Kiv::File::Path path = mesh.GetFilePath();
    Kiv::String skipped;
    path.ExtractFirstPath(skipped);
    path.ExtractFirstPath(skipped);
    return std::string(path.View());
}

// The names of the enclosing containers below the root, outermost first, joined by "\".
std::string ContainerPath(const Container* container) {
    std::string path;
    for (; container && container->parent; container = container->parent)
        path = path.empty() ? std::string(container->name.View())
                            : std::string(container->name.View()) + "\\" + path;
    return path;
}

bool ReportNotValid(Tag& tag, const Container& container, const MeshObject& mesh) {
    const std::string shown = ShownMeshPath(mesh);
    Report::ErrorInTag(&tag, FormatFinding("$tet_container_notavalidpossibility", tag.value,
                                           container.name, shown));
    return false;
}

bool CheckMeshElementAttachment(Tag& tag, const Container& container) {
    const DataManager& manager = DataManager::Instance();
    const Tag* attParent = container.FindTag(Words().attParent);
    if (!attParent) {
        Report::ErrorInTag(&tag, FormatFinding("$tet_container_noattparent", container.name));
        return false;
    }
    if (!container.parent) return true;
    bool passed = true;
    for (const std::unique_ptr<Container>& sibling : container.parent->Children()) {
        if (sibling->name != attParent->value) continue;
        if (const MeshObject* mesh = manager.FindContainerMesh(sibling.get()))
            passed = ReportNotValid(tag, container, *mesh) && passed;
    }
    return passed;
}

bool CheckEffectAttachment(Tag& tag, const Container& container) {
    const Container* holder = container.parent ? container.parent->parent : nullptr;
    const MeshObject* mesh = DataManager::Instance().FindContainerMesh(holder);
    return !mesh || ReportNotValid(tag, container, *mesh);
}

bool ReportNotListed(Tag& tag, const Container* container) {
    const std::string path = ContainerPath(container);
    Report::ErrorInTag(&tag, FormatFinding("$tet_container_notavalidpossibility2", tag.name,
                                           tag.value, path));
    return false;
}

} // namespace

bool CheckListSource(Tag& tag) {
    const Keywords& w = Words();
    const DataManager& manager = DataManager::Instance();
    if (manager.IsFileListed(tag.value, tag.listSource)) return true;
    const bool unknowable = manager.aliasFlag || manager.meshFailed;
    if (tag.listSource != w.attachment || !tag.parent)
        return unknowable || ReportNotListed(tag, tag.parent);
    const Container& container = *tag.parent;
    if (container.templateName == w.meshElement) return CheckMeshElementAttachment(tag, container);
    if (container.templateName == w.effectCorona || container.templateName == w.effectAttachment)
        return CheckEffectAttachment(tag, container);
    return unknowable || ReportNotListed(tag, &container);
}

} // namespace DAROdi
