// The content databases as the daemon link's user-data folders see them: each location's
// KodrinResourceDatabase, opened and released through the registry. Start-up installs it
// into the link (link/kav/kav_upward_seams.h).
#pragma once

#include "link/kav/kav_upward_seams.h"

// The one implementation, alive for the whole process.
KAVContentDatabaseSeam& GetContentDatabaseSeam();
