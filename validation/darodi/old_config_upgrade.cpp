// Not built yet: the stand-in leaves every config as it is.
#include "validation/darodi/old_config_upgrade.h"

namespace DAROdi {

void UpgradeOldConfigIfNeeded(ACSChunkRef&) {}

} // namespace DAROdi
