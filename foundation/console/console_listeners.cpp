// The listener map and the busy flag live under the console critical section, which is
// re-entrant: only the notifying thread itself can come back in, and the flag stops it.
#include "foundation/console/console_listeners.h"

#include <map>
#include <mutex>

#include "foundation/console/console_lock.h"

namespace {

struct Listeners {
    std::map<int32_t, ConsoleListener*> byKey;
    bool busy = false;
};

Listeners& TheListeners() {
    static Listeners* listeners = new Listeners;  // never destroyed: threads print at exit
    return *listeners;
}

}  // namespace

void AddConsoleListener(int32_t key, ConsoleListener& listener) {
    std::lock_guard<std::recursive_timed_mutex> lock(ConsoleCriticalSection());
    TheListeners().byKey[key] = &listener;
}

void RemoveConsoleListener(int32_t key) {
    std::lock_guard<std::recursive_timed_mutex> lock(ConsoleCriticalSection());
    TheListeners().byKey.erase(key);
}

void NotifyConsoleListeners(std::string_view line) {
    std::lock_guard<std::recursive_timed_mutex> lock(ConsoleCriticalSection());
    Listeners& listeners = TheListeners();
    if (listeners.busy || listeners.byKey.empty()) return;
    listeners.busy = true;
    // A listener may add or remove listeners; the walk goes on from the next key.
    for (auto entry = listeners.byKey.begin(); entry != listeners.byKey.end();) {
        const int32_t key = entry->first;
        entry->second->OnConsoleLine(line);
        entry = listeners.byKey.upper_bound(key);
    }
    listeners.busy = false;
}
