// The objects start-up makes and shut-down takes down, kept process-wide: the engine's OS,
// resource system and render kernel (also shown in the start-up record), the bitmap codec
// reference and the download-service marker. Each is null until its step made it, and
// shut-down releases only what exists, so it can follow a start-up that stopped anywhere.
#pragma once

#include <memory>

#include "client/plugin_instance_ref.h"
#include "engine/os.h"
#include "engine/render_kernel.h"
#include "engine/resource_system.h"

namespace KodrinUtil {

struct StartupObjects {
    std::unique_ptr<Kiv::OS> os;
    std::unique_ptr<Kiv::ResourceSystem> resourceSystem;
    std::unique_ptr<Kiv::RenderKernel> renderKernel;
    std::unique_ptr<PluginInstanceRef> bitmapCodec;
};

StartupObjects& GetStartupObjects();

// The download-service marker (DownloadServiceAvailable reads it).
void CreateDownloadServiceMarker();
void FreeDownloadServiceMarker();

}  // namespace KodrinUtil
