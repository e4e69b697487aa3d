// The two template-driven clean-ups of the old-config upgrade (old_config_upgrade.h): a
// tag name is a possibility when a top-level template of the merged set, or a template it
// inherits, lists it among its subpossibilities.
#include <string_view>
#include <vector>

#include "foundation/soup/chunk.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/old_config_upgrade.h"

namespace DAROdi {
namespace {

// Templates inherit at most this deep; a deeper (or cyclic) chain is not followed further.
constexpr int kMaxInheritDepth = 16;

// Whether entry, or a template it inherits, lists name among its own subpossibilities.
bool ListsPossibility(const ACSChunkRef& templates, const ACSChunkRef& entry,
                      const Kiv::PString& name, int depth) {
    const ACSChunkRef possibilities = entry.GetNamedSoup("subpossibilities");
    if (!possibilities.IsNull() &&
        !ACSChunk::IsNullNode(possibilities->GetNamedChunkConst(name).Get()))
        return true;
    const ACSChunkRef inherited = entry.GetNamedSoup("inherit");
    if (inherited.IsNull() || depth >= kMaxInheritDepth) return false;
    Kiv::PString parentName;
    ACSChunkRef unused;
    for (int32_t i = 0; inherited->GetIndexedChild(i, parentName, unused); ++i) {
        const ACSChunkRef parent = templates.GetNamedSoup(parentName);
        if (!parent.IsNull() && ListsPossibility(templates, parent, name, depth + 1)) return true;
    }
    return false;
}

bool IsPossibility(const Kiv::PString& name) {
    DataManager& manager = DataManager::Instance();
    manager.MergeTemplates();
    const ACSChunkRef templates = manager.GetMergedTemplates();
    Kiv::PString templateName;
    ACSChunkRef entry;
    for (int32_t i = 0; !templates.IsNull() && templates->GetIndexedChild(i, templateName, entry);
         ++i) {
        if (entry->GetType() != ACSTagType::Container) continue;
        if (entry.GetNamedTagAsInt("top-level", 0) == 0) continue;
        if (ListsPossibility(templates, entry, name, 0)) return true;
    }
    return false;
}

} // namespace

void UpgradeAgainstPossibilities(ACSChunkRef& config) {
    const int32_t count = config.CountTags();
    int32_t first = 0;
    while (first < count && config.GetIndexedTagName(first) != Kiv::PString("description")) ++first;
    std::vector<Kiv::PString> stray;
    Kiv::PString name;
    ACSChunkRef child;
    for (int32_t i = first + 1; i < count && config->GetIndexedChild(i, name, child); ++i) {
        if (IsPossibility(name) || child->GetType() == ACSTagType::Container) break;
        stray.push_back(name);
    }
    for (const Kiv::PString& tag : stray) config.RemoveNamedTag(tag);
}

void UpgradeAssetTags(ACSChunkRef& config) {
    config.RemoveNamedTag("asset");
    for (int32_t i = config.CountTags() - 1; i >= 0; --i) {
        const Kiv::PString name = config.GetIndexedTagName(i);
        if (name.View().substr(0, 6) == "asset-" && !IsPossibility(name))
            config.RemoveNamedTag(name);
    }
}

} // namespace DAROdi
