// The build stamp of the asset being validated (its float "kodrin-build", default 1.3, plus
// 0.001, kept by the data manager) and the two integer readings the checks compare: the
// stamp times 100 truncated, and the stamp times 100 plus 0.1 truncated. Values beyond the
// int range (or not numbers) read as the largest int, as builds from the far future.
#pragma once

#include "foundation/soup/chunk_ref.h"

namespace DAROdi {

// The stamp of a config: its "kodrin-build" when that is one float, else 1.3; plus 0.001.
float ConfigBuildStamp(const ACSChunkRef& config);
// (int)(stamp × 100), saturating.
int StampHundredths(float stamp);
// (int)(stamp × 100 + 0.1), saturating.
int StampHundredthsRounded(float stamp);

} // namespace DAROdi
