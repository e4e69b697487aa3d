// A message handler method run as a nested run on the static thread of the machine that
// loaded it.
#include "script_runtime/gs_game_object_handler_run.h"

#include "script_runtime/gs_function.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_machine.h"
#include "script_runtime/gs_runtime_call.h"
#include "script_runtime/gs_script_instance.h"

void GSRunHandlerMethod(const GSFunction& function, GSSlot* me, GSSlot* message) {
    GSMachine* machine = function.library ? function.library->Machine() : nullptr;
    GSThread* thread = machine ? machine->StaticThread() : nullptr;
    if (!thread || function.argumentSlots != 2) {
        GSReleaseReference(message);
        return;
    }
    const GSSlot argument = GSPointerSlot(message);
    GSRuntime::RunNested(*thread, function, me, {&argument, 1}, nullptr);
}
