// The light target's lighting calculations.
#include "engine/light_target.h"

namespace Kiv {

void LightTarget::CalculateLighting(uint32_t chunkCount, GeometryChunk* const*, Material* const*) {
    ++calculations_;
    lastChunkCount_ = chunkCount;
}

}  // namespace Kiv
