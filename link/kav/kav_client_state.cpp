// The client state exists from the first use on; the job system learns of its started
// event at once, as the program's other parts read it from there.
#include "link/kav/kav_client_state.h"

#include "foundation/jobs/process_identity.h"

namespace {

thread_local bool t_readerThread = false;

}  // namespace

// Made at static initialisation, so the locks, events and started event exist from the
// program's start.
[[maybe_unused]] static KAVClientState& g_madeBeforeEntry = ClientState();

KAVClientState::KAVClientState() : environment(KAVClientEnvironment::Defaults()) {
    SetClientStartedEvent(&clientStarted);
}

KAVClientState& ClientState() {
    static auto* state = new KAVClientState;
    return *state;
}

KAVClientEnvironment CurrentEnvironment() {
    KAVClientState& state = ClientState();
    Kiv::SingleLock hold(state.environmentLock);
    return state.environment;
}

bool IsReaderThread() { return t_readerThread; }

void MarkReaderThread() { t_readerThread = true; }
