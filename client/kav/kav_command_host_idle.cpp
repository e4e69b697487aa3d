// Nothing happens between the host loop's passes yet.
#include "client/kav/kav_command_host_idle.h"

void KAVCommandHost::IdleHook() {}
