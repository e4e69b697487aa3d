// GSThread::Execute: one run of a thread for one time step. The entry counts a sleep down,
// starts the budget of an outermost run, drops the thread's wait blocks and sets the current
// thread and context; the dispatch loop then runs until the bottom frame returns (ER_Done),
// the thread waits (ER_Blocked) or an instruction fails. A failure takes the error exit:
// the thread-exception line, the host's hook, the stack dump, then a stopped thread with an
// empty stack. Both exits put the current thread and context back as they found them, so
// runs nest.
#include <cstdio>
#include <string>

#include "script_runtime/gs_context.h"
#include "script_runtime/gs_function.h"
#include "script_runtime/gs_game_object.h"
#include "script_runtime/gs_interpreter.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_log.h"
#include "script_runtime/gs_thread.h"

namespace GSInterpreter {

bool EnterTopFrame(GSRun& run, int32_t position) {
    GSSlot* record = run.stack->TopFrame();
    const GSFunction* function = GSFrame::Function(record);
    run.args = GSFrame::ArgumentBase(record);
    run.library = function->library;
    run.codeBase = function->RunCode();
    run.runsFusedCopy = !function->runCode.empty();
    run.ip = run.codeBase + (function->code.empty() ? 0 : position);
    run.runStart = run.ip;
    run.sp = run.stack->Top();
    GSContext::SetCurrent(run.stack->GetContext());
    if (function->code.empty() || position < 0 || static_cast<size_t>(position) >= function->code.size())
        return run.Fail(ER_IllegalInstruction);
    return true;
}

}  // namespace GSInterpreter

namespace {

using namespace GSInterpreter;

std::string Formatted(const char* format, const char* name, int line, const char* file) {
    const int length = std::snprintf(nullptr, 0, format, name, line, file);
    std::string text(static_cast<size_t>(length > 0 ? length : 0), '\0');
    std::snprintf(text.data(), text.size() + 1, format, name, line, file);
    return text;
}

// The thread's owner; for a thread without one, the game object the executing receiver
// belongs to.
GSGameObject* GameObjectOf(GSThread& thread, const GSRun& run) {
    if (thread.Owner()) return thread.Owner();
    if (!run.stack->TopFrame() || !run.args) return nullptr;
    GSScriptInstance* instance = GSInstanceOf(RefOf(run.args[0]));
    GSObjectReference* native = instance ? instance->NativeObject() : nullptr;
    if (!native || native->ReferenceKind() != GS_REFERENCE_GAME_OBJECT) return nullptr;
    return static_cast<GSGameObject*>(native);
}

class RunScope {
  public:
    explicit RunScope(GSThread& thread) : savedThread_(g_gsCurrentThread), savedContext_(GSContext::Current()) {
        if (g_runDepth == 0) g_budgetUsed = 0;
        ++g_runDepth;
        thread.DropWaitBlocks();
        g_gsCurrentThread = &thread;
        GSContext::SetCurrent(thread.Stack().GetContext());
        thread.SetState(GSThread::kRunning);
    }
    // Counts the last straight run and puts the current thread and context back.
    GSExecResult Leave(const GSRun& run, GSExecResult result) {
        g_budgetUsed += static_cast<uint64_t>(run.ip - run.runStart);
        --g_runDepth;
        g_gsCurrentThread = savedThread_;
        GSContext::SetCurrent(savedContext_);
        return result;
    }

  private:
    GSThread* savedThread_;
    GSContext* savedContext_;
};

void ReportException(GSThread& thread, const GSRun& run, GSExecResult result) {
    int line = -1;
    if (const GSSlot* record = run.stack->TopFrame()) {
        const GSFunction* function = GSFrame::Function(record);
        if (function && run.codeBase) line = function->LineOf(static_cast<int32_t>(run.ip - run.codeBase));
    }
    const char* file = run.library ? run.library->GetSourceName().c_str() : "";
    const std::string text = Formatted("Thread Exception: %s, line %d, file %s", GSExecResultName(result), line, file);
    GSLog("%s", text.c_str());
    if (g_gsExceptionHook) g_gsExceptionHook(text.c_str(), run.stack, GameObjectOf(thread, run), false);
}

GSExecResult Run(GSThread& thread) {
    RunScope scope(thread);
    GSRun run;
    run.thread = &thread;
    run.stack = &thread.Stack();
    run.sp = run.stack->Top();
    GSExecResult result = ER_NoStackFrame;
    if (run.stack->TopFrame()) {
        const bool entered = EnterTopFrame(run, thread.ResumePosition());
        if (entered && run.args[0].p) {
            result = RunLoop(run);
        } else {
            result = entered ? ER_NullReference : run.result;
            run.failedBetweenInstructions = true;
        }
    }
    if (result == ER_Done || result == ER_Blocked) return scope.Leave(run, result);

    ReportException(thread, run, result);
    thread.SetState(GSThread::kStopped);
    run.stack->SetTop(run.sp);
    GSLog("Stack Dump...");
    run.stack->Dump();
    ReleaseEvaluationStacks(run);
    run.stack->Reset();
    return scope.Leave(run, result);
}

}  // namespace

GSExecResult GSThread::Execute(float timeStep) {
    if (!g_executionEnabled) return ER_Blocked;
    if (State() == kWaiting) {
        if (SleepTime() == 0.0f) return ER_Blocked;
        SetSleepTime(SleepTime() - timeStep);
        if (SleepTime() > 0.0f) return ER_Blocked;
        SetSleepTime(0.0f);
    }
    return Run(*this);
}
