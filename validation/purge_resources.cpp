// Stand-in until the engine's resource system exists: no resource is ever held.
#include "validation/purge_resources.h"

void PurgeResourcesAfterValidation() {}
