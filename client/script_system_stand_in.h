// StandInScriptSystemSetUp: the script-system set-up that start-up installs for the script
// stage of validations until the natives' own set-up exists. Not built yet: it registers no
// natives; it only registers the installation's "libraries" folder with the script
// machine (when the folder exists) and answers true.
#pragma once

namespace KodrinUtil {

bool StandInScriptSystemSetUp();

} // namespace KodrinUtil
