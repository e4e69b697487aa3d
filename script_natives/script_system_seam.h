// The script-system set-up as validation sees it (validation/script_system_seam.h):
// start-up installs this implementation, which runs InitScriptSystem on the process's
// machine.
#pragma once

#include "validation/script_system_seam.h"

// The one implementation, alive for the whole process.
ValidationScriptSystemSeam& GetScriptSystemSeam();
