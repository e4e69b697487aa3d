// The display-less blocking screen and its hooks into the resource lock's wait, together
// with the wait's purge of the current resource system's unused resources.
#include "content3d/blocking_screen.h"

#include "engine/resource_system.h"
#include "foundation/jobs/resource_lock.h"

BlockingScreen& BlockingScreen::Instance() {
    static BlockingScreen screen;
    return screen;
}

void BlockingScreen::InstallResourceLockHooks() {
    ResourceLockWaitHooks hooks;
    hooks.showBlockingScreen = [] { Instance().Show(); };
    hooks.updateBlockingScreen = [] { Instance().Update(); };
    hooks.hideBlockingScreen = [] { Instance().Hide(); };
    hooks.dumpUnusedResources = [] {
        if (Kiv::ResourceSystem* system = Kiv::ResourceSystem::Current())
            system->DumpUnusedResourcesFromCache();
    };
    ResourceLock::SetWaitHooks(hooks);
}

void BlockingScreen::Show() {
    showCalls_.fetch_add(1);
}

void BlockingScreen::Update() {
    updateCalls_.fetch_add(1);
}

void BlockingScreen::Hide() {
    hideCalls_.fetch_add(1);
}

// Without a display no picture was ever loaded.
void BlockingScreen::ReleaseTexture() {}
