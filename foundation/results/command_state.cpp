// Storage of the in-command flag.
#include "foundation/results/command_state.h"

std::atomic<bool> g_inCommand{false};
