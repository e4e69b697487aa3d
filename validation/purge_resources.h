// PurgeResourcesAfterValidation: after each command-host job the host lets go of the engine
// resources nothing holds any more, so nothing stays loaded between jobs. The engine's
// resource system is not built yet, so there is nothing to release: a stand-in.
#pragma once

void PurgeResourcesAfterValidation();
