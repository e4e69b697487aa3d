// Installs the implementations of the upward seams: the daemon link's, and the script
// system set-up of the validation library's script stage.
#include "client/upward_seams.h"

#include "client/script_system_stand_in.h"
#include "content3d/content_database_seam.h"
#include "link/kav/kav_upward_seams.h"
#include "validation/darodi/script_system_seam.h"
#include "validation/spec_registry_seam.h"

namespace KodrinUtil {

void InstallUpwardSeams() {
    KAVUpwardSeams::SetSpecRegistry(&GetSpecRegistrySeam());
    KAVUpwardSeams::SetContentDatabases(&GetContentDatabaseSeam());
    SetScriptSystemSetUp(&StandInScriptSystemSetUp);
}

} // namespace KodrinUtil
