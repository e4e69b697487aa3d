// Kiv::ResourceSystem: the engine's cache of loaded resources (meshes, textures, materials)
// and the home of the resource types that load them. This first form caches nothing: Init
// takes the options and marks the system ready, and destruction has nothing to free. The
// program makes one at start-up and destroys it at shut-down.
#pragma once

#include "engine/options.h"

namespace Kiv {

class ResourceSystem {
public:
    ResourceSystem() = default;
    ResourceSystem(const ResourceSystem&) = delete;
    ResourceSystem& operator=(const ResourceSystem&) = delete;

    void Init(const Options& options);
    bool IsInitialised() const { return initialised_; }

private:
    bool initialised_ = false;
};

}  // namespace Kiv
