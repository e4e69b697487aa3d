// The value stack: which frames fit, the layout PushFrame writes, leaving a frame with and
// without a result (and refusing to when the evaluation stack is not as it must be), the
// counts the frames release on the way out or on a reset, the stack dump's lines, and the
// context of the executing code.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gs_frame_test_support.h"
#include "script_runtime/gs_object.h"
#include "script_runtime/gs_stack.h"

namespace {

using gstest::CountOf;
using gstest::FrameFunction;
using gstest::IndexOf;
using gstest::LogLines;
using gstest::NotedString;
using gstest::Push;
using gstest::PushCounted;

// An empty slot is a null reference in every byte of the word, whichever compiler builds
// it: the word is the member an empty slot initialises (a constant expression may read
// only that one).
constexpr bool EmptySlotIsAZeroWord() {
    constexpr GSSlot empty{};
    return empty.word == 0;
}
static_assert(EmptySlotIsAZeroWord());

TEST(GSSlotTest, ClearingASlotClearsAWholeReference) {
    GSSlot slot = GSPointerSlot(reinterpret_cast<void*>(~uintptr_t{0} - 7));
    slot = GSSlot{};
    EXPECT_EQ(slot.p, nullptr);
}

class GSStackTest : public gstest::FrameTest {
  protected:
    // Every slot of the stack filled with a pattern, to see which ones get written.
    static void Dirty(GSStack& stack) {
        std::memset(static_cast<void*>(stack.Slots()), 0x5A, sizeof(GSSlot) * GSStack::kCapacity);
    }
    // True when the slots from `first` up still hold the pattern.
    static bool AllDirty(const GSStack& stack, int32_t first = 0) {
        GSSlot pattern;
        std::memset(static_cast<void*>(&pattern), 0x5A, sizeof pattern);
        for (int32_t i = first; i < GSStack::kCapacity; ++i)
            if (stack.Slots()[i].word != pattern.word) return false;
        return true;
    }

    // Tests leave no frame behind: the function records they point to are the tests' own.
    GSStack stack_;
};

TEST_F(GSStackTest, ANewStackIsEmpty) {
    EXPECT_EQ(stack_.FreeSlots(), 1024);
    EXPECT_EQ(IndexOf(stack_, stack_.Top()), -1);
    EXPECT_EQ(stack_.TopFrame(), nullptr);
    EXPECT_EQ(stack_.ReturnPosition(), 0);
    EXPECT_EQ(stack_.GetContext(), nullptr);
    EXPECT_FALSE(stack_.PopFrame());
    EXPECT_FALSE(stack_.ReturnValue(true));
    EXPECT_TRUE(LogLines().empty());
}

// A frame fits when its stack need is at most the free slots above the top (a bottom frame's
// receiver takes the first slot); one that does not fit logs the overflow line alone (no
// frame is active) and writes no slot.
TEST_F(GSStackTest, AFrameFitsUpToTheLastSlot) {
    struct Case {
        int32_t pushed; // values below the frame; the function takes them all as arguments
        int32_t need;
        bool fits;
    };
    const Case cases[] = {{1, 1023, true}, {1, 1024, false}, {3, 1021, true}, {3, 1022, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "pushed " << c.pushed << ", need " << c.need);
        const GSFunction f = FrameFunction("$void@T::F()", c.pushed, 0, 0, c.need - 4);
        GSStack stack; // after f: its frames name f until the stack is gone
        Dirty(stack);
        for (int32_t i = 0; i < c.pushed; ++i)
            Push(stack, GSIntSlot(0));
        LogLines().clear();
        GSSlot* top = stack.Top();
        ASSERT_EQ(stack.PushFrame(&f, 0), c.fits);
        if (c.fits) {
            EXPECT_EQ(IndexOf(stack, stack.Top()), c.pushed + 3);
            EXPECT_TRUE(LogLines().empty());
            continue;
        }
        EXPECT_EQ(LogLines(), std::vector<std::string>{"GSStack overflow..."});
        EXPECT_EQ(stack.Top(), top);
        EXPECT_EQ(stack.TopFrame(), nullptr);
        EXPECT_TRUE(AllDirty(stack, c.pushed));
    }
}

TEST_F(GSStackTest, AnOverflowListsTheActiveFramesFromTheTopDown) {
    const GSFunction outer = FrameFunction("$void@T::Outer()", 1, 500, 0, 0);
    const GSFunction inner = FrameFunction("$void@T::Inner(int)", 2, 400, 0, 0);
    const GSFunction tooBig = FrameFunction("$void@T::Big()", 1, 100, 0, 20);
    Push(stack_, GSIntSlot(0));
    ASSERT_TRUE(stack_.PushFrame(&outer, 0));
    Push(stack_, GSIntSlot(0));
    Push(stack_, GSIntSlot(7));
    ASSERT_TRUE(stack_.PushFrame(&inner, 3));
    Push(stack_, GSIntSlot(0));
    GSSlot* top = stack_.Top();
    GSSlot* frame = stack_.TopFrame();
    ASSERT_EQ(stack_.FreeSlots(), 1024 - 1 - 504 - 2 - 404 - 1);
    EXPECT_FALSE(stack_.PushFrame(&tooBig, 9));
    EXPECT_EQ(LogLines(),
              (std::vector<std::string>{"GSStack overflow...", "function $void@T::Inner(int)",
                                        "function $void@T::Outer()"}));
    EXPECT_EQ(stack_.Top(), top);
    EXPECT_EQ(stack_.TopFrame(), frame);
    stack_.Reset();
}

// P = 3, A = 2, B = 1, D = 2 with the receiver and two arguments in slots 0 to 2: locals and
// temporaries in 3 to 5, zero; the record in 6 to 9; the new top is slot 9.
TEST_F(GSStackTest, PushFrameLaysTheFrameOut) {
    Dirty(stack_);
    const GSFunction f = FrameFunction("$int@T::F(int,int)", 3, 2, 1, 2);
    Push(stack_, GSIntSlot(0));
    Push(stack_, GSIntSlot(11));
    Push(stack_, GSIntSlot(22));
    ASSERT_TRUE(stack_.PushFrame(&f, 77));
    GSSlot* slots = stack_.Slots();
    EXPECT_EQ(IndexOf(stack_, stack_.Top()), 9);
    EXPECT_EQ(stack_.TopFrame(), slots + 6);
    EXPECT_EQ(slots[1].i, 11);
    EXPECT_EQ(slots[2].i, 22);
    for (int i = 3; i <= 5; ++i)
        EXPECT_EQ(slots[i].word, 0u) << i;
    EXPECT_EQ(slots[6].p, &f);
    EXPECT_EQ(slots[7].i, 77);
    EXPECT_EQ(slots[8].p, nullptr);
    EXPECT_EQ(slots[9].p, slots);
    EXPECT_EQ(stack_.FreeSlots(), 1014);

    // A second frame links to the first.
    const GSFunction g = FrameFunction("$void@T::G()", 1, 0, 0, 0);
    Push(stack_, GSIntSlot(0));
    ASSERT_TRUE(stack_.PushFrame(&g, 5));
    EXPECT_EQ(stack_.TopFrame(), slots + 11);
    EXPECT_EQ(slots[13].p, slots + 6);
    EXPECT_EQ(slots[14].p, slots + 10);
    stack_.Reset();
}

// A function whose arguments were never pushed would have its argument base below the
// first slot, and one without a receiver slot its base inside its own record: both are
// refused without writing.
TEST_F(GSStackTest, AFrameWithoutItsArgumentsIsRefused) {
    const GSFunction cases[] = {FrameFunction("$void@T::F(int)", 2, 0, 0, 0),
                                FrameFunction("$void@T::G()", 0, 0, 0, 0)};
    for (const GSFunction& f : cases) {
        SCOPED_TRACE(f.name);
        GSStack stack;
        Dirty(stack);
        Push(stack, GSIntSlot(0));
        GSSlot* top = stack.Top();
        EXPECT_FALSE(stack.PushFrame(&f, 0));
        EXPECT_EQ(stack.Top(), top);
        EXPECT_EQ(stack.TopFrame(), nullptr);
        EXPECT_TRUE(AllDirty(stack, 1));
    }
}

// Leaving a frame releases the listed object slots from the last to the first, skipping
// null ones, then the receiver; the receiver and the arguments are gone.
TEST_F(GSStackTest, PopFrameReleasesListedSlotsLastFirstThenTheReceiver) {
    std::vector<std::string> gone;
    auto* me = new NotedString(&context_, "me", gone);
    auto* argument = new NotedString(&context_, "argument", gone);
    auto* local = new NotedString(&context_, "local", gone);
    // Slots: 0 me, 1 argument (object), 2 int argument, 3 null local (object), 4 local (object).
    const GSFunction f = FrameFunction("$void@T::F(T,int)", 3, 2, 0, 1, {1, 3, 4});
    Push(stack_, GSIntSlot(0));
    const GSFunction caller = FrameFunction("$void@T::Caller()", 1, 0, 0, 8);
    ASSERT_TRUE(stack_.PushFrame(&caller, 0));
    GSSlot* callerFrame = stack_.TopFrame();
    GSSlot* callerTop = stack_.Top();
    Push(stack_, GSPointerSlot(me->GetReference())); // each made object's first count
    Push(stack_, GSPointerSlot(argument->GetReference()));
    Push(stack_, GSIntSlot(5));
    ASSERT_TRUE(stack_.PushFrame(&f, 41));
    stack_.TopFrame()[-2] = GSPointerSlot(local->GetReference()); // local slot 4

    EXPECT_TRUE(stack_.PopFrame());
    EXPECT_EQ(gone, (std::vector<std::string>{"local", "argument", "me"}));
    EXPECT_EQ(stack_.Top(), callerTop);
    EXPECT_EQ(stack_.TopFrame(), callerFrame);
    EXPECT_EQ(stack_.ReturnPosition(), 41);
    stack_.Reset();
}

// A pop with a value left, a script return with none or two, refuse and release nothing.
TEST_F(GSStackTest, LeavingWithTheEvaluationStackInTheWrongStateIsRefused) {
    auto* me = new GSString(&context_, "me");
    const GSFunction f = FrameFunction("$int@T::F()", 1, 1, 0, 2, {});
    struct Case {
        int32_t values; // pushed above the frame record
        bool pop;       // PopFrame, else ReturnValue with the flag clear
        const char* line;
    };
    const Case cases[] = {{1, true, nullptr},
                          {2, true, nullptr},
                          {0, false, "GSStack::ReturnValue> diff=3"},
                          {2, false, "GSStack::ReturnValue> diff=5"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.values << (c.pop ? " pop" : " return"));
        GSStack stack;
        PushCounted(stack, me);
        ASSERT_TRUE(stack.PushFrame(&f, 3));
        for (int32_t i = 0; i < c.values; ++i)
            Push(stack, GSIntSlot(i + 1));
        GSSlot* top = stack.Top();
        GSSlot* frame = stack.TopFrame();
        LogLines().clear();
        EXPECT_FALSE(c.pop ? stack.PopFrame() : stack.ReturnValue(false));
        EXPECT_EQ(LogLines(),
                  c.line ? std::vector<std::string>{c.line} : std::vector<std::string>{});
        EXPECT_EQ(CountOf(me), 2);
        EXPECT_EQ(stack.Top(), top);
        EXPECT_EQ(stack.TopFrame(), frame);
        EXPECT_EQ(stack.ReturnPosition(), 0);
        stack.Reset();
        EXPECT_EQ(CountOf(me), 1);
    }
    GSReleaseReference(me->GetReference());
}

// The result takes the receiver's slot and becomes the top; a reference keeps the count it
// had on the stack while the frame's own counts go.
TEST_F(GSStackTest, ReturnValueLeavesTheResultInTheReceiversSlot) {
    auto* me = new GSString(&context_, "me");
    auto* result = new GSString(&context_, "result");
    const GSFunction f = FrameFunction("$string@T::F()", 1, 1, 0, 1, {1});
    Push(stack_, GSIntSlot(123));
    PushCounted(stack_, me);
    ASSERT_TRUE(stack_.PushFrame(&f, 18));
    GSAddReference(result->GetReference());
    stack_.TopFrame()[-1] = GSPointerSlot(result->GetReference()); // the local holds it too
    PushCounted(stack_, result);                                   // the returned value
    ASSERT_EQ(CountOf(result), 3);

    ASSERT_TRUE(stack_.ReturnValue(false));
    EXPECT_EQ(IndexOf(stack_, stack_.Top()), 1);
    EXPECT_EQ(stack_.Top()->p, result->GetReference());
    EXPECT_EQ(stack_.Slots()[0].i, 123);
    EXPECT_EQ(stack_.TopFrame(), nullptr);
    EXPECT_EQ(stack_.ReturnPosition(), 18);
    EXPECT_EQ(CountOf(me), 1);
    EXPECT_EQ(CountOf(result), 2); // ours and the result slot's
    GSReleaseReference(me->GetReference());
    GSReleaseReference(result->GetReference());
    GSReleaseReference(static_cast<GSSlot*>(stack_.Top()->p)); // the result slot's
}

// After a native with a result that pushed nothing, the missing value is 0.
TEST_F(GSStackTest, AMissingResultIsZero) {
    std::vector<std::string> gone;
    auto* me = new NotedString(&context_, "me", gone);
    const GSFunction f = FrameFunction("$int@T::N()", 1, 0, 0, 1);
    Push(stack_, GSIntSlot(0));
    Push(stack_, GSPointerSlot(me->GetReference()));
    ASSERT_TRUE(stack_.PushFrame(&f, 6));
    ASSERT_TRUE(stack_.ReturnValue(true));
    EXPECT_EQ(gone, std::vector<std::string>{"me"});
    EXPECT_EQ(IndexOf(stack_, stack_.Top()), 1);
    EXPECT_EQ(stack_.Top()->word, 0u);
    EXPECT_EQ(stack_.ReturnPosition(), 6);
}

// A reset pops every frame, each frame's counts released once, and empties the stack; the
// destructor's reset finds nothing left to release.
TEST_F(GSStackTest, ResetReleasesEachFramesCountsOnce) {
    auto* a = new GSString(&context_, "a");
    auto* b = new GSString(&context_, "b");
    const GSFunction outer = FrameFunction("$void@T::Outer(T)", 2, 1, 0, 3, {1, 2});
    const GSFunction inner = FrameFunction("$void@T::Inner()", 1, 1, 0, 2, {1});
    {
        GSStack stack;
        PushCounted(stack, a); // receiver
        PushCounted(stack, b); // argument, listed
        ASSERT_TRUE(stack.PushFrame(&outer, 0));
        GSAddReference(a->GetReference());
        stack.TopFrame()[-1] = GSPointerSlot(a->GetReference()); // local, listed
        PushCounted(stack, b);                                   // inner receiver
        ASSERT_TRUE(stack.PushFrame(&inner, 30));
        GSAddReference(b->GetReference());
        stack.TopFrame()[-1] = GSPointerSlot(b->GetReference());
        Push(stack, GSIntSlot(4));
        ASSERT_EQ(CountOf(a), 3);
        ASSERT_EQ(CountOf(b), 4);
        stack.Reset();
        EXPECT_EQ(CountOf(a), 1);
        EXPECT_EQ(CountOf(b), 1);
        EXPECT_EQ(stack.TopFrame(), nullptr);
        EXPECT_EQ(IndexOf(stack, stack.Top()), -1);
        EXPECT_EQ(stack.ReturnPosition(), 0);
        EXPECT_EQ(stack.FreeSlots(), 1024);
    }
    EXPECT_EQ(CountOf(a), 1);
    EXPECT_EQ(CountOf(b), 1);
    GSReleaseReference(a->GetReference());
    GSReleaseReference(b->GetReference());
}

// Line pairs {code offset, line} as the library stores them (little-endian words).
std::vector<uint8_t> Lines(const std::vector<std::pair<uint32_t, uint32_t>>& pairs) {
    std::vector<uint8_t> bytes;
    for (const auto& [offset, line] : pairs)
        for (uint32_t word : {offset, line})
            for (int i = 0; i < 4; ++i)
                bytes.push_back(static_cast<uint8_t>(word >> (8 * i)));
    return bytes;
}

// The top frame has line -1; each frame below shows the line of its call site, the return
// position saved in the record of the frame above it.
TEST_F(GSStackTest, DumpPrintsTheCallSiteLines) {
    const std::vector<uint8_t> mainLines = Lines({{0, 10}, {8, 11}, {20, 14}});
    const std::vector<uint8_t> helperLines = Lines({{0, 40}, {12, 42}});
    GSFunction main = FrameFunction("$void@T::Main()", 1, 0, 0, 4);
    main.lineCount = 3;
    main.lines = mainLines.data();
    GSFunction helper = FrameFunction("$void@T::Helper(int)", 2, 1, 0, 4);
    helper.lineCount = 2;
    helper.lines = helperLines.data();
    const GSFunction leaf = FrameFunction("$void@T::Leaf()", 1, 0, 0, 0);

    Push(stack_, GSIntSlot(0));
    ASSERT_TRUE(stack_.PushFrame(&main, 0));
    Push(stack_, GSIntSlot(0));
    Push(stack_, GSIntSlot(1));
    ASSERT_TRUE(stack_.PushFrame(&helper, 16)); // Main calls at offset 16: line 11
    Push(stack_, GSIntSlot(0));
    ASSERT_TRUE(stack_.PushFrame(&leaf, 30)); // Helper calls at offset 30: line 42
    LogLines().clear();
    stack_.Dump();
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"function $void@T::Leaf(), line -1",
                                                    "function $void@T::Helper(int), line 42",
                                                    "function $void@T::Main(), line 11"}));
    stack_.Reset();
}

// The context is that of the native object of the first receiver, from the top down, that
// has one; a string receiver or a null one has none.
TEST_F(GSStackTest, GetContextFindsTheNearestReceiverWithAContext) {
    ASSERT_NE(thing_, nullptr);
    GSContext other;
    auto* bottom = new GSObject();
    ASSERT_TRUE(bottom->Attach(thing_, &context_));
    auto* upper = new GSObject();
    ASSERT_TRUE(upper->Attach(thing_, &other));
    auto* text = new GSString(&other, "text");
    const GSFunction f = FrameFunction("$void@T::F()", 1, 0, 0, 2);

    PushCounted(stack_, bottom);
    ASSERT_TRUE(stack_.PushFrame(&f, 0));
    EXPECT_EQ(stack_.GetContext(), &context_);
    PushCounted(stack_, text);
    ASSERT_TRUE(stack_.PushFrame(&f, 0));
    Push(stack_, GSPointerSlot(nullptr));
    ASSERT_TRUE(stack_.PushFrame(&f, 0));
    EXPECT_EQ(stack_.GetContext(), &context_);
    PushCounted(stack_, upper);
    ASSERT_TRUE(stack_.PushFrame(&f, 0));
    EXPECT_EQ(stack_.GetContext(), &other);
    stack_.Reset();
    EXPECT_EQ(stack_.GetContext(), nullptr);
    delete bottom;
    delete upper;
    GSReleaseReference(text->GetReference());
}

} // namespace
