// Kiv::ResourceSystem initialisation.
#include "engine/resource_system.h"

namespace Kiv {

void ResourceSystem::Init(const Options&) {
    initialised_ = true;
}

}  // namespace Kiv
