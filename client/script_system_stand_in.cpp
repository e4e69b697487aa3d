// The stand-in script-system set-up (script_system_stand_in.h).
#include "client/script_system_stand_in.h"

#include "engine/file.h"
#include "link/kav/kav_user_data.h"
#include "script_runtime/gs_machine.h"

namespace KodrinUtil {

bool StandInScriptSystemSetUp() {
    Kiv::File::Path libraries = KAVUserData::GetInstallFolder();
    libraries.AddPath("libraries");
    if (Kiv::File::Exists(libraries.c_str()))
        GSMachine::Get().AddLibraryFolder(Kiv::PString(libraries.c_str()));
    return true;
}

} // namespace KodrinUtil
