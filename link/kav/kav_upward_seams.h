// The daemon link's two calls upward, into libraries that stand above it: the process's
// asset-spec registry (validation), which the client makes when it starts, destroys when it
// stops and asks for an asset's config before asking the daemon; and the content databases
// (content3d), which the user-data folders open one per location. The link owns these
// interfaces and start-up installs their implementations (`InstallUpwardSeams`, client/).
// Until one is installed the link runs without it: no spec registry (every config comes
// from the daemon) and no content databases.
#pragma once

#include "engine/pstring.h"
#include "engine/resource_database.h"
#include "foundation/kuid/kuid.h"
#include "foundation/soup/chunk_ref.h"

class KAVSpecRegistrySeam {
  public:
    virtual ~KAVSpecRegistrySeam() = default;
    // Makes the process's registry (the client started).
    virtual void Create() = 0;
    // Shuts the registry down and frees it (the client stopped); nothing without one.
    virtual void Destroy() = 0;
    // The registry's config of kuid when it holds a live spec of it.
    virtual bool FindConfig(const KUID& kuid, ACSChunkRef& config) = 0;
};

class KAVContentDatabaseSeam {
  public:
    virtual ~KAVContentDatabaseSeam() = default;
    // The shared database of the location's folder under basePath, one user more; or null.
    virtual Kiv::ResourceDatabase* Open(const Kiv::PString& location, const char* basePath) = 0;
    // One user less; null changes nothing.
    virtual void Release(Kiv::ResourceDatabase* database) = 0;
};

namespace KAVUpwardSeams {
// Installs (or, with null, removes) an implementation; the caller keeps it alive.
void SetSpecRegistry(KAVSpecRegistrySeam* seam);
void SetContentDatabases(KAVContentDatabaseSeam* seam);
KAVSpecRegistrySeam* SpecRegistry();
KAVContentDatabaseSeam* ContentDatabases();
} // namespace KAVUpwardSeams
