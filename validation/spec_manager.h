// SpecManager: the process-wide registry of asset specs, made by the daemon client when it
// starts and destroyed when it stops. Not built yet: this stand-in keeps only the global
// pointer. It holds no specs, so FindSpec finds nothing (callers then ask the daemon),
// Shutdown has nothing to delete or purge and logs no leaks, and there are no factories.
#pragma once

#include <atomic>

#include "foundation/kuid/kuid.h"

class GizmorixSpec;

class SpecManager {
public:
    // Becomes the process's manager.
    SpecManager();
    ~SpecManager();
    SpecManager(const SpecManager&) = delete;
    SpecManager& operator=(const SpecManager&) = delete;

    // The destructor's work, callable before the object is freed: shuts the registry down
    // and clears the global pointer. A second call does nothing.
    void Destroy();
    // Drops the specs nothing uses (there are none yet).
    void Shutdown();
    // How often Shutdown ran (the command host runs it after every job).
    int ShutdownCount() const { return shutdowns_.load(); }
    // The live spec of kuid with one use added, or null: always null for now.
    GizmorixSpec* FindSpec(const KUID& kuid);

    // The process's manager, or null.
    static SpecManager* Instance();

private:
    bool destroyed_ = false;
    std::atomic<int> shutdowns_{0};
};
