// The container rules: unique child and tag names, a texture file the asset names, and the
// shadow and visible mesh of the root's mesh table.
#include "validation/darodi/asset_files.h"
#include "validation/darodi/container.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/keywords.h"
#include "validation/darodi/report.h"
#include "validation/darodi/rules.h"

namespace DAROdi::Rules {

namespace {

// For every pair of items sharing a name, report(the later item); true when none.
template <typename Items, typename Report>
bool EachRepeatedName(const Items& items, Report report) {
    bool unique = true;
    for (size_t later = 1; later < items.size(); ++later)
        for (size_t earlier = 0; earlier < later; ++earlier)
            if (items[earlier]->name == items[later]->name) {
                report(*items[later]);
                unique = false;
            }
    return unique;
}

bool TextureFileExists(const Kiv::PString& value) {
    for (const char* extension : {"texture", "texture.txt"}) {
        Kiv::File::Path file = AssetFilePath(value.c_str());
        file.SetExt(extension);
        if (AssetFileExists(file)) return true;
    }
    return false;
}

Tag* FirstTextureTag(const Container& container) {
    for (const std::unique_ptr<Tag>& tag : container.Tags())
        if (tag->name == Words().texture || tag->name == Words().assetFilename) return tag.get();
    return nullptr;
}

} // namespace

bool UniqueNames(Container& container, const ACSChunkRef&) {
    const bool children = EachRepeatedName(container.Children(), [&](Container& child) {
        Report::ErrorInContainer(&child, FormatFinding("$tet_val_duplicatecontainername",
                                                       child.name, container.name));
    });
    const bool tags = EachRepeatedName(container.Tags(), [&](Tag& tag) {
        Report::ErrorInTag(&tag, FormatFinding("$tet_val_duplicatetagname", tag.name,
                                               container.name));
    });
    return children && tags;
}

bool HasValidTextureFile(Container& container, const ACSChunkRef&) {
    if (IsPackedLocation(DataManager::Instance().GetAssetLocation())) return true;
    Tag* tag = FirstTextureTag(container);
    if (!tag) {
        Report::Error(FormatFinding("$tet_val_texturefilenotspecified"));
        return false;
    }
    if (TextureFileExists(tag->value)) return true;
    Report::ErrorInTag(tag, FormatFinding("$tet_val_texturefiledne", tag->value));
    return false;
}

bool MeshTableHasShadow(Container& container, const ACSChunkRef&) {
    if (!container.isRoot) return true;
    const Container* table = container.FindChild(Words().meshTable);
    if (!table || table->FindChild(Words().shadow)) return true;
    Report::WarningInContainer(&container, FormatFinding("$tet_val_shadow_missing"));
    return false;
}

bool MeshTableHasVisibleMesh(Container& container, const ACSChunkRef&) {
    if (!container.isRoot) return true;
    const Container* table = container.FindChild(Words().meshTable);
    if (!table) return true;
    for (const std::unique_ptr<Container>& entry : table->Children()) {
        const Tag* autoCreate = entry->FindTag(Words().autoCreate);
        if (autoCreate && autoCreate->value.View() != "0") return true;
    }
    Report::WarningInContainer(&container, FormatFinding("$tet_val_no_visible_mesh"));
    return false;
}

} // namespace DAROdi::Rules
