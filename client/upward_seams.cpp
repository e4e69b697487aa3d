// Installs the implementations of the daemon link's upward seams.
#include "client/upward_seams.h"

#include "content3d/content_database_seam.h"
#include "link/kav/kav_upward_seams.h"
#include "validation/spec_registry_seam.h"

namespace KodrinUtil {

void InstallUpwardSeams() {
    KAVUpwardSeams::SetSpecRegistry(&GetSpecRegistrySeam());
    KAVUpwardSeams::SetContentDatabases(&GetContentDatabaseSeam());
}

} // namespace KodrinUtil
