// Storage of the in-command flag.
#include "foundation/command_state.h"

std::atomic<bool> g_inCommand{false};
