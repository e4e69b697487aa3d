// Installs the implementations of the upward seams of the daemon link and of validation, and
// the engine that validation's mesh checks load meshes through.
#include "client/upward_seams.h"

#include "content3d/content_database_seam.h"
#include "link/kav/kav_upward_seams.h"
#include "script_natives/script_system_seam.h"
#include "validation/darodi/content3d_mesh_engine.h"
#include "validation/script_system_seam.h"
#include "validation/spec_registry_seam.h"

namespace KodrinUtil {

void InstallUpwardSeams() {
    KAVUpwardSeams::SetSpecRegistry(&GetSpecRegistrySeam());
    KAVUpwardSeams::SetContentDatabases(&GetContentDatabaseSeam());
    ValidationUpwardSeams::SetScriptSystem(&GetScriptSystemSeam());
    DAROdi::SetMeshCheckEngine(&DAROdi::GetContent3DMeshEngine());
}

} // namespace KodrinUtil
