// Nothing happens between the host loop's passes yet.
#include "client/host/kav_command_host.h"

void KAVCommandHost::IdleHook() {}
