// Merging the template files into one soup of templates keyed by name.
#include "validation/darodi/data_manager.h"

#include "foundation/soup/chunk.h"

namespace DAROdi {

namespace {

constexpr const char* kTemplateFiles[] = {"inheritance.txt", "kind.txt", "container.txt"};

// A later entry of a name replaces the first of that name and goes to the end.
void MergeEntries(ACSChunkRef& merged, const ACSChunkRef& file) {
    if (file.IsNull()) return;
    const int32_t count = file->CountChildren();
    for (int32_t i = 0; i < count; ++i) {
        Kiv::PString name;
        ACSChunkRef entry;
        file->GetIndexedChild(i, name, entry);
        if (entry.Get() == nullptr || entry->GetType() != ACSTagType::Container) {
            entry = ACSChunkRef();
            entry.EnsureContainer();
        }
        merged.EnsureContainer();
        merged.RemoveNamedTag(name);
        merged->AddChild(name, entry);
    }
}

}  // namespace

void DataManager::MergeTemplates() {
    if (templatesMerged_) return;
    mergedTemplates_ = ACSChunkRef();
    for (const char* name : kTemplateFiles) {
        ACSChunkRef file;
        if (!file.LoadFromFile(templateFolder_.c_str(), name, "txt", false)) file = ACSChunkRef();
        MergeEntries(mergedTemplates_, file);
    }
    templatesMerged_ = true;
}

}  // namespace DAROdi
