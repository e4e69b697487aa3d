// Between the host loop's passes the main thread runs the resource purge that a job asked
// for from the daemon link's thread.
#include "client/host/kav_command_host.h"
#include "validation/darodi/purge_resources.h"

void KAVCommandHost::IdleHook() {
    RunDeferredResourcePurge();
}
