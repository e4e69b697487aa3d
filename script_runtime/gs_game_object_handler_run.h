// Running a message handler method: on the machine's static thread, as a nested run above
// whatever that thread is doing, with `me` (one reference added) and the Message object
// (whose reference passes to the run) as the arguments.
#pragma once

#include "script_runtime/gs_slot.h"

struct GSFunction;

void GSRunHandlerMethod(const GSFunction& function, GSSlot* me, GSSlot* message);
