// Script threads: the names of the run results, a new thread, the reset that clears it
// (with and without an owner), thread exceptions (the message, the stopped state, the hook
// and the game object it is told of) and the save and restore around a nested run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gs_frame_test_support.h"
#include "script_runtime/gs_exec_result.h"
#include "script_runtime/gs_game_object.h"
#include "script_runtime/gs_interpreter_state.h"
#include "script_runtime/gs_object.h"
#include "script_runtime/gs_thread.h"

namespace {

using gstest::CountOf;
using gstest::FrameFunction;
using gstest::IndexOf;
using gstest::LogLines;
using gstest::Push;
using gstest::PushCounted;

TEST(GSExecResultTest, NamesFollowTheCodes) {
    const char* const names[] = {"ER_Done",
                                 "ER_Blocked",
                                 "ER_IllegalInstruction",
                                 "ER_DivideByZero",
                                 "ER_NullArrayReference",
                                 "ER_ArrayOutOfBounds",
                                 "ER_ArrayRangeError",
                                 "ER_NullStringReference",
                                 "ER_StringOutOfBounds",
                                 "ER_NullReference",
                                 "ER_ClassCreateError",
                                 "ER_NativeCallError",
                                 "ER_StackOverflow",
                                 "ER_NoStackFrame",
                                 "ER_ThreadError",
                                 "ER_StackReturnError",
                                 "ER_Exception",
                                 "ER_LinkError",
                                 "ER_Timeout"};
    for (int code = 0; code <= 18; ++code)
        EXPECT_STREQ(GSExecResultName(code), names[code]) << code;
    EXPECT_EQ(ER_Timeout, 18);
    EXPECT_STREQ(GSExecResultName(-1), "ER_Unknown");
    EXPECT_STREQ(GSExecResultName(19), "ER_Unknown");
}

} // namespace

namespace {

struct HookCall {
    std::string text;
    GSStack* stack;
    GSGameObject* gameObject;
    bool continueRunning;
};

std::vector<HookCall>& HookCalls() {
    static std::vector<HookCall> calls;
    return calls;
}

void RecordHook(const char* text, GSStack* stack, GSGameObject* gameObject, bool continueRunning) {
    HookCalls().push_back({text, stack, gameObject, continueRunning});
}

class GSThreadTest : public gstest::FrameTest {
  protected:
    GSThreadTest() { HookCalls().clear(); }
    ~GSThreadTest() override { g_gsExceptionHook = nullptr; }

    // A game object with a script instance of "Thing" (which is no GameObject class, so the
    // instance is made by the plain object's attach).
    GSGameObject* NewGameObject() {
        auto* object = new GSGameObject();
        EXPECT_TRUE(object->GSObject::Attach(thing_, &context_));
        return object;
    }

    GSFunction method_ = FrameFunction("$void@Thing::Run(Thing)", 2, 1, 0, 4, {1, 2});
};

TEST_F(GSThreadTest, ANewThreadIsRunnableAndEmpty) {
    GSGameObject* owner = NewGameObject();
    struct Case {
        GSGameObject* owner;
        uint32_t flags;
    };
    for (const Case& c : {Case{nullptr, GSThread::kStaticThread}, Case{owner, 0}}) {
        GSThread thread(c.owner, c.flags);
        EXPECT_EQ(thread.State(), GSThread::kRunning);
        EXPECT_EQ(thread.ResumePosition(), 0);
        EXPECT_EQ(thread.ThreadFlags(), c.flags);
        EXPECT_EQ(thread.IsStatic(), c.owner == nullptr);
        EXPECT_EQ(thread.Owner(), c.owner);
        EXPECT_EQ(thread.SleepTime(), 0.0f);
        EXPECT_EQ(thread.WaitCount(), 0u);
        EXPECT_EQ(thread.QueuedCount(), 0u);
        EXPECT_EQ(thread.Stack().TopFrame(), nullptr);
        EXPECT_EQ(thread.Stack().FreeSlots(), GSStack::kCapacity);
        EXPECT_EQ(thread.Stack().ReturnPosition(), 0);
    }
    delete owner;
}

// A reset releases what the frames hold once, clears every field but the owner, and a
// destroyed thread releases nothing more.
TEST_F(GSThreadTest, ResetClearsTheThreadAndReleasesItsFramesOnce) {
    GSGameObject* owner = NewGameObject();
    auto* held = new GSString(&context_, "held");
    for (GSGameObject* threadOwner : {static_cast<GSGameObject*>(nullptr), owner}) {
        SCOPED_TRACE(threadOwner ? "owned" : "static");
        auto* thread = new GSThread(threadOwner, GSThread::kStaticThread);
        GSStack& stack = thread->Stack();
        PushCounted(stack, held); // receiver
        PushCounted(stack, held); // argument, listed
        ASSERT_TRUE(stack.PushFrame(&method_, 0));
        PushCounted(stack, held);
        Push(stack, GSPointerSlot(nullptr)); // this frame's argument is null
        ASSERT_TRUE(stack.PushFrame(&method_, 12));
        ASSERT_EQ(CountOf(held), 4);
        thread->SetState(GSThread::kWaiting);
        thread->SetResumePosition(40);
        thread->SetWaitCount(2);
        thread->SetQueuedCount(3);
        thread->SetSleepTime(1.5f);

        thread->Reset();
        EXPECT_EQ(CountOf(held), 1);
        EXPECT_EQ(stack.TopFrame(), nullptr);
        EXPECT_EQ(stack.FreeSlots(), GSStack::kCapacity);
        EXPECT_EQ(stack.ReturnPosition(), 0);
        EXPECT_EQ(thread->State(), GSThread::kRunning);
        EXPECT_EQ(thread->ResumePosition(), 0);
        EXPECT_EQ(thread->ThreadFlags(), 0u);
        EXPECT_EQ(thread->WaitCount(), 0u);
        EXPECT_EQ(thread->QueuedCount(), 0u);
        EXPECT_EQ(thread->SleepTime(), 0.0f);
        EXPECT_EQ(thread->Owner(), threadOwner);
        delete thread;
        EXPECT_EQ(CountOf(held), 1);
    }
    GSReleaseReference(held->GetReference());
    delete owner;
}

TEST_F(GSThreadTest, DestroyingAThreadReleasesItsFrames) {
    auto* held = new GSString(&context_, "held");
    auto* thread = new GSThread(nullptr, 0);
    PushCounted(thread->Stack(), held);
    Push(thread->Stack(), GSPointerSlot(nullptr));
    ASSERT_TRUE(thread->Stack().PushFrame(&method_, 0));
    ASSERT_EQ(CountOf(held), 2);
    delete thread;
    EXPECT_EQ(CountOf(held), 1);
    GSReleaseReference(held->GetReference());
}

// The message names the top frame's library when there is one; the continue flag decides
// whether the thread stops; the hook, when set, gets the same text.
TEST_F(GSThreadTest, AnExceptionLogsItsMessageAndStopsUnlessTheThreadGoesOn) {
    GSFunction noLibrary = FrameFunction("$void@Thing::Loose()", 1, 0, 0, 0);
    GSFunction inLibrary = noLibrary;
    inLibrary.library = library_;
    struct Case {
        const GSFunction* frame; // null: no frame
        bool continueRunning;
        bool hook;
        const char* message;
        int32_t state;
    };
    const Case cases[] = {
        {&inLibrary, false, false, "Bad index (file frames.gs)", GSThread::kStopped},
        {&inLibrary, true, true, "Bad index (file frames.gs)", GSThread::kWaiting},
        {&noLibrary, false, true, "Bad index", GSThread::kStopped},
        {nullptr, true, false, "Bad index", GSThread::kWaiting},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        GSThread thread(nullptr, GSThread::kStaticThread);
        thread.SetState(GSThread::kWaiting);
        if (c.frame) {
            Push(thread.Stack(), GSPointerSlot(nullptr));
            ASSERT_TRUE(thread.Stack().PushFrame(c.frame, 0));
        }
        g_gsExceptionHook = c.hook ? RecordHook : nullptr;
        HookCalls().clear();
        LogLines().clear();
        thread.Exception("Bad index", c.continueRunning);
        EXPECT_EQ(LogLines(), std::vector<std::string>{c.message});
        EXPECT_EQ(thread.State(), c.state);
        ASSERT_EQ(HookCalls().size(), c.hook ? 1u : 0u);
        if (!c.hook) continue;
        EXPECT_EQ(HookCalls()[0].text, c.message);
        EXPECT_EQ(HookCalls()[0].stack, &thread.Stack());
        EXPECT_EQ(HookCalls()[0].gameObject, nullptr);
        EXPECT_EQ(HookCalls()[0].continueRunning, c.continueRunning);
    }
}

// The hook is told of the owner, or, for a thread without one, of the game object of the
// first frame from the top down whose receiver belongs to one.
TEST_F(GSThreadTest, TheExceptionHookGetsTheOwnerOrTheNearestGameObjectReceiver) {
    g_gsExceptionHook = RecordHook;
    GSGameObject* owner = NewGameObject();
    GSGameObject* receiver = NewGameObject();
    auto* plain = new GSObject();
    ASSERT_TRUE(plain->Attach(thing_, &context_));
    auto* text = new GSString(&context_, "text");
    const GSFunction f = FrameFunction("$void@Thing::F()", 1, 0, 0, 1);
    auto pushFrames = [&](GSThread& thread, std::initializer_list<GSObjectReference*> receivers) {
        for (GSObjectReference* r : receivers) {
            PushCounted(thread.Stack(), r);
            ASSERT_TRUE(thread.Stack().PushFrame(&f, 0));
        }
    };
    {
        GSThread thread(nullptr, 0);
        pushFrames(thread, {plain, receiver, plain, text});
        thread.Exception("x", true);
        GSThread owned(owner, 0);
        pushFrames(owned, {receiver});
        owned.Exception("x", true);
        GSThread none(nullptr, 0);
        pushFrames(none, {plain, text});
        none.Exception("x", true);
    }
    ASSERT_EQ(HookCalls().size(), 3u);
    EXPECT_EQ(HookCalls()[0].gameObject, receiver);
    EXPECT_EQ(HookCalls()[1].gameObject, owner);
    EXPECT_EQ(HookCalls()[2].gameObject, nullptr);
    GSReleaseReference(text->GetReference());
    delete plain;
    delete receiver;
    delete owner;
}

// SaveState hides the frames under a zero slot; a nested frame entered with return position 0
// has no previous frame, returns its result onto the stack, and RestoreState brings back the
// frames, top, state and resume position, the outer frame intact.
TEST_F(GSThreadTest, ANestedRunBetweenSaveAndRestore) {
    auto* outerMe = new GSString(&context_, "outer");
    auto* innerMe = new GSString(&context_, "inner");
    GSThread thread(nullptr, GSThread::kStaticThread);
    GSStack& stack = thread.Stack();
    PushCounted(stack, outerMe);
    Push(stack, GSPointerSlot(nullptr));
    ASSERT_TRUE(stack.PushFrame(&method_, 0));
    Push(stack, GSIntSlot(31)); // an evaluation value of the outer frame
    thread.SetState(GSThread::kWaiting);
    thread.SetResumePosition(24);
    GSSlot* outerFrame = stack.TopFrame();
    GSSlot* outerTop = stack.Top();

    GSThread::SavedState saved{};
    thread.SaveState(saved);
    EXPECT_EQ(saved.topFrame, outerFrame);
    EXPECT_EQ(saved.top, outerTop);
    EXPECT_EQ(saved.state, GSThread::kWaiting);
    EXPECT_EQ(saved.resumePosition, 24);
    EXPECT_EQ(stack.Top(), outerTop + 1);
    EXPECT_EQ(stack.Top()->word, 0u);
    EXPECT_EQ(stack.TopFrame(), nullptr);

    const GSFunction inner = FrameFunction("$int@Thing::Value(int)", 2, 0, 1, 2);
    PushCounted(stack, innerMe);
    Push(stack, GSIntSlot(5));
    ASSERT_TRUE(stack.PushFrame(&inner, 0));
    EXPECT_EQ(GSFrame::Previous(stack.TopFrame()), nullptr);
    Push(stack, GSIntSlot(50));
    ASSERT_TRUE(stack.ReturnValue(false));
    EXPECT_EQ(stack.TopFrame(), nullptr);
    EXPECT_EQ(stack.Top(), outerTop + 2);
    EXPECT_EQ(stack.Top()->i, 50);
    EXPECT_EQ(CountOf(innerMe), 1);

    thread.RestoreState(saved);
    EXPECT_EQ(stack.TopFrame(), outerFrame);
    EXPECT_EQ(stack.Top(), outerTop);
    EXPECT_EQ(stack.Top()->i, 31);
    EXPECT_EQ(thread.State(), GSThread::kWaiting);
    EXPECT_EQ(thread.ResumePosition(), 24);
    stack.SetTop(outerTop - 1);
    ASSERT_TRUE(stack.PopFrame());
    EXPECT_EQ(CountOf(outerMe), 1);
    EXPECT_EQ(IndexOf(stack, stack.Top()), -1);
    GSReleaseReference(outerMe->GetReference());
    GSReleaseReference(innerMe->GetReference());
}

// A nested run that fails resets only the frames it pushed; the restored outer frames still
// hold their counts, released once by the thread's own reset.
TEST_F(GSThreadTest, AFailedNestedRunReleasesOnlyItsOwnFrames) {
    auto* outerMe = new GSString(&context_, "outer");
    auto* innerMe = new GSString(&context_, "inner");
    GSThread thread(nullptr, GSThread::kStaticThread);
    GSStack& stack = thread.Stack();
    PushCounted(stack, outerMe);
    PushCounted(stack, outerMe);
    ASSERT_TRUE(stack.PushFrame(&method_, 0));
    GSThread::SavedState saved{};
    thread.SaveState(saved);
    PushCounted(stack, innerMe);
    PushCounted(stack, innerMe);
    ASSERT_TRUE(stack.PushFrame(&method_, 0));
    ASSERT_EQ(CountOf(outerMe), 3);
    ASSERT_EQ(CountOf(innerMe), 3);

    stack.Reset();
    EXPECT_EQ(CountOf(innerMe), 1);
    EXPECT_EQ(CountOf(outerMe), 3);
    thread.RestoreState(saved);
    thread.Reset();
    EXPECT_EQ(CountOf(outerMe), 1);
    GSReleaseReference(outerMe->GetReference());
    GSReleaseReference(innerMe->GetReference());
}

} // namespace
