// The installed upward seams of the daemon link (see the header).
#include "link/kav/kav_upward_seams.h"

#include <atomic>

namespace {

std::atomic<KAVSpecRegistrySeam*> specRegistry{nullptr};
std::atomic<KAVContentDatabaseSeam*> contentDatabases{nullptr};

} // namespace

namespace KAVUpwardSeams {

void SetSpecRegistry(KAVSpecRegistrySeam* seam) {
    specRegistry.store(seam);
}

void SetContentDatabases(KAVContentDatabaseSeam* seam) {
    contentDatabases.store(seam);
}

KAVSpecRegistrySeam* SpecRegistry() {
    return specRegistry.load();
}

KAVContentDatabaseSeam* ContentDatabases() {
    return contentDatabases.load();
}

} // namespace KAVUpwardSeams
