// Small reads of template and config soups shared by the matcher, the checks and the rules:
// walking a soup's children, and the keyed merge the template builder and the rule merge
// use (an entry of a name replaces the first of that name and goes to the end).
#pragma once

#include <cstdint>

#include "engine/pstring.h"
#include "foundation/soup/chunk.h"
#include "foundation/soup/chunk_ref.h"

namespace DAROdi {

// Calls visit(name, child) for every child of a container soup, in order; nothing for an
// empty handle or a soup that is no container.
template <typename Visit> void ForEachChild(const ACSChunkRef& soup, Visit visit) {
    if (soup.Get() == nullptr || soup->GetType() != ACSTagType::Container) return;
    const int32_t count = soup->CountChildren();
    for (int32_t i = 0; i < count; ++i) {
        Kiv::PString name;
        ACSChunkRef child;
        if (soup->GetIndexedChild(i, name, child)) visit(name, child);
    }
}

inline bool IsContainer(const ACSChunkRef& soup) {
    return soup.Get() != nullptr && !soup.IsNull() && soup->GetType() == ACSTagType::Container;
}

// Puts entry under name into target (made a container when empty), replacing the first
// entry of that name; the entry is shared, not copied.
inline void ReplaceEntry(ACSChunkRef& target, const Kiv::PString& name, const ACSChunkRef& entry) {
    target.EnsureContainer();
    target.RemoveNamedTag(name);
    target->AddChild(name, entry);
}

// Every entry of source merged into target by ReplaceEntry.
inline void MergeEntries(ACSChunkRef& target, const ACSChunkRef& source) {
    ForEachChild(source, [&](const Kiv::PString& name, const ACSChunkRef& entry) {
        ReplaceEntry(target, name, entry);
    });
}

} // namespace DAROdi
