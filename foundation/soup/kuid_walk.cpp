// KUID walks over a soup: collecting the KUIDs it names into an ordered set, and the reverse,
// a soup of numbered KUID tags made from a set. Tags more than kMaxSoupDepth containers
// below the root are not walked (only a soup that holds itself gets so deep).
#include "foundation/soup/chunk.h"
#include "foundation/soup/chunk_ref.h"
#include "foundation/soup/soup_depth.h"

namespace {

// The soup's children lie at level.
void CollectFrom(const ACSChunkRef& soup, KUIDList& set, int level) {
    const int32_t count = soup.CountTags();
    for (int32_t i = 0; i < count; ++i) {
        const Kiv::PString name = soup.GetIndexedTagName(i);
        switch (soup.GetNamedTagType(name)) {
        case ACSTagType::String:
            AddUnique(set, KUID::Parse(soup.GetNamedTag(name).c_str(), true));
            break;
        case ACSTagType::KUIDArray:
            AddUnique(set, soup.GetNamedTagAsKUID(name, KUID::Null()));
            break;
        case ACSTagType::Container:
            if (level < kMaxSoupDepth) CollectFrom(soup.GetNamedSoup(name), set, level + 1);
            break;
        default:
            break;
        }
    }
}

} // namespace

void ACSChunkRef::CollectKUIDs(const ACSChunkRef& soup, KUIDList& set) {
    CollectFrom(soup, set, 0);
}

void ACSChunkRef::CollectKUIDTags(const ACSChunkRef& soup, KUIDList& set) {
    const int32_t count = soup.CountTags();
    for (int32_t i = 0; i < count; ++i)
        AddUnique(set, soup.GetNamedTagAsKUID(soup.GetIndexedTagName(i), KUID::Null()));
}

ACSChunkRef ACSChunkRef::FromKUIDSet(const KUIDList& set) {
    ACSChunkRef soup;
    int32_t counter = 0;
    for (const KUID& kuid : set) {
        if (kuid.IsNull()) continue;
        soup.SetNamedTagKUID(Kiv::PString::Setf("%d", counter++), kuid);
    }
    return soup;
}
