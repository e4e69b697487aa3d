// GSLibraryStrings: the hashed entry of a text and the string section's order, sorted once.
#include "script_compiler/gs_library_strings.h"

#include <algorithm>
#include <cstring>

#include "foundation/utils/string_map.h"

int32_t GSLibraryStrings::Find(const char* text) const {
    const auto at = byText_.find(text);
    return at == byText_.end() ? -1 : at->second;
}

bool GSLibraryStrings::Insert(const char* key, int32_t index) {
    if (!byText_.emplace(key, index).second) return false;
    entries_.push_back({key, index});
    return true;
}

std::vector<GSLibraryStrings::Entry> GSLibraryStrings::InSectionOrder() const {
    struct Placed {
        uint32_t bucket;
        Entry entry;
    };
    std::vector<Placed> placed;
    placed.reserve(entries_.size());
    for (const Entry& entry : entries_) placed.push_back({Utils::StringMap::Hash(entry.key) % kBuckets, entry});
    std::sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
        return a.bucket != b.bucket ? a.bucket < b.bucket : std::strcmp(a.entry.key, b.entry.key) < 0;
    });
    std::vector<Entry> ordered;
    ordered.reserve(placed.size());
    for (const Placed& p : placed) ordered.push_back(p.entry);
    return ordered;
}

void GSLibraryStrings::Clear() {
    byText_.clear();
    entries_.clear();
}
