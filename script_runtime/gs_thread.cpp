// The core of a script thread: construction and reset, thread exceptions, and the save and
// restore of the nested-run pair. Running a thread is the interpreter's (GSThread::Execute);
// the message side (waits, delivery, the queue) is in gs_thread_messages.cpp.
#include <string>

#include "script_runtime/gs_function.h"
#include "script_runtime/gs_game_object.h"
#include "script_runtime/gs_interpreter_state.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_log.h"
#include "script_runtime/gs_thread.h"

namespace {

// "%s (file %s)" with the source name of the top frame's library, or the text alone.
std::string ExceptionMessage(const char* text, const GSStack& stack) {
    std::string message = text ? text : "";
    const GSSlot* record = stack.TopFrame();
    const GSFunction* function = record ? GSFrame::Function(record) : nullptr;
    if (!function || !function->library) return message;
    return message + " (file " + function->library->GetSourceName().c_str() + ")";
}

// The game object of the first frame, from the top down, whose receiver belongs to one.
GSGameObject* FrameGameObject(const GSStack& stack) {
    for (const GSSlot* record = stack.TopFrame(); record; record = GSFrame::Previous(record)) {
        GSScriptInstance* instance =
            GSInstanceOf(static_cast<GSSlot*>(GSFrame::ArgumentBase(record)[0].p));
        GSObjectReference* native = instance ? instance->NativeObject() : nullptr;
        if (native && native->ReferenceKind() == GS_REFERENCE_GAME_OBJECT)
            return static_cast<GSGameObject*>(native);
    }
    return nullptr;
}

} // namespace

GSThread::GSThread(GSGameObject* owner, uint32_t flags) : flags_(flags), owner_(owner) {}

GSThread::~GSThread() {
    Reset();
}

void GSThread::Reset() {
    stack_.Reset();
    if (owner_) {
        FreeQueuedMessages();
        DropWaitBlocks();
    }
    state_ = kRunning;
    resumePosition_ = 0;
    flags_ = 0;
    waitCount_ = 0;
    queuedCount_ = 0;
    sleepTime_ = 0.0f;
}

void GSThread::Exception(const char* text, bool continueRunning) {
    if (!continueRunning) state_ = kStopped;
    const std::string message = ExceptionMessage(text, stack_);
    GSLog("%s", message.c_str());
    if (!g_gsExceptionHook) return;
    GSGameObject* gameObject = owner_ ? owner_ : FrameGameObject(stack_);
    g_gsExceptionHook(message.c_str(), &stack_, gameObject, continueRunning);
}

void GSThread::SaveState(SavedState& record) {
    record = {stack_.TopFrame(), stack_.Top(), state_, resumePosition_};
    if (stack_.FreeSlots() > 0) {
        GSSlot* top = stack_.Top() + 1;
        *top = GSIntSlot(0);
        stack_.SetTop(top);
    }
    stack_.SetTopFrame(nullptr);
}

void GSThread::RestoreState(const SavedState& record) {
    stack_.SetTopFrame(record.topFrame);
    stack_.SetTop(record.top);
    state_ = record.state;
    resumePosition_ = record.resumePosition;
}
