// BlockingScreen: the picture shown while the main thread waits long for the resource
// lock. This is its least form: the program has no display, so Show, Update and Hide draw
// nothing and only count their calls, which lets tests watch the lock's wait drive it.
// InstallResourceLockHooks connects it to the lock's wait, which sits in a lower layer and
// reaches it only through hooks; start-up calls it once. The same call gives the wait its
// purge of unused resources (the current resource system's DumpUnusedResourcesFromCache).
#pragma once

#include <atomic>
#include <cstdint>

class BlockingScreen {
  public:
    // The process-wide screen, made on first use.
    static BlockingScreen& Instance();
    static void InstallResourceLockHooks();

    void Show();
    void Update();
    void Hide();
    // Frees the loaded picture and its texture; without a display none was loaded.
    void ReleaseTexture();

    bool HasDisplay() const { return false; }
    int32_t ShowCalls() const { return showCalls_.load(); }
    int32_t UpdateCalls() const { return updateCalls_.load(); }
    int32_t HideCalls() const { return hideCalls_.load(); }

  private:
    BlockingScreen() = default;

    std::atomic<int32_t> showCalls_{0};
    std::atomic<int32_t> updateCalls_{0};
    std::atomic<int32_t> hideCalls_{0};
};
