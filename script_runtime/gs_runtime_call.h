// Running script functions from native code. CallScriptFunction finds a function of a class
// by its mangled name, dispatches through the instance's method table (so an override runs)
// and runs it to completion on the machine's static thread, or hands a thread function to a
// new thread of the instance's game object. RunNested is the nested run both it and object
// creation use: the thread's state is saved, the receiver and the arguments pushed, a frame
// pushed, the thread executed with time step 0, the result read and the state restored.
#pragma once

#include <span>

#include "script_runtime/gs_exec_result.h"
#include "script_runtime/gs_slot.h"

class GSClass;
class GSContext;
class GSThread;
struct GSFunction;

class GSRuntime {
  public:
    // `instance` is a script reference to the object's view of `gsClass`. A function with a
    // result writes it to `result` (a reference result brings its count to the caller); the
    // argument words follow the receiver in declaration order. False when the function is
    // not found, the arguments do not match its parameters (the caller keeps the counts of
    // its references then), or the call fails once started (the call has consumed them).
    static bool CallScriptFunction(GSContext* context, GSClass* gsClass, GSSlot* instance, const char* name,
                                   GSSlot* result, std::span<const GSSlot> arguments);

    // Runs the function with `me` (a reference is added for the frame) to completion on the
    // thread as a nested run. The result is the run's; on ER_Done the function's result word,
    // if it has one, is written to `result`, or released when it is a reference and no
    // `result` is given.
    static GSExecResult RunNested(GSThread& thread, const GSFunction& function, GSSlot* me,
                                  std::span<const GSSlot> arguments, GSSlot* result);
};
