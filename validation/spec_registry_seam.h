// The spec registry as the daemon link sees it: makes and destroys the process's
// SpecManager and answers an asset's config from its live spec. Start-up installs it into
// the link (link/kav/kav_upward_seams.h).
#pragma once

#include "link/kav/kav_upward_seams.h"

// The one implementation, alive for the whole process.
KAVSpecRegistrySeam& GetSpecRegistrySeam();
