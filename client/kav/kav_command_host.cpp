// The command host's loop, waiting for its jobs: nothing is registered or served.
#include "client/kav/kav_command_host.h"

bool KAVCommandHost() {
    return false;
}
