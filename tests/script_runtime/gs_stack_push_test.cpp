// The push operations of GSStack: what each stores and the counts it takes or hands over,
// views of an object for a class (an unrelated class pushes null), and a full stack that
// refuses every push, writes nothing, sets the overflow mark and leaks no count or string.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "gs_native_call_support.h"

namespace {

class StackPushes : public gstest::NativeTest {
  protected:
    // A Derived object of the test's context; its instance holds the object's count.
    GSObject* Derived() {
        auto* object = new GSObject();
        EXPECT_TRUE(object->Attach(Class("Derived"), &context_));
        return object;
    }
    static int32_t Count(GSSlot* reference) { return GSInstanceOf(reference)->ReferenceCount(); }
    // Pops the top slot (the test takes over what it holds).
    GSSlot Pop() {
        const GSSlot value = *stack_.Top();
        stack_.SetTop(stack_.Top() - 1);
        return value;
    }
};

TEST_F(StackPushes, ValuesAndStringsGoOnTopOneSlotEach) {
    GSSlot* const empty = stack_.Top();
    EXPECT_EQ(empty + 1, stack_.Slots());
    ASSERT_TRUE(stack_.PushInt(-7));
    ASSERT_TRUE(stack_.PushFloat(2.5f));
    ASSERT_TRUE(stack_.PushString("pushed", &context_));
    EXPECT_EQ(stack_.Top(), empty + 3);

    auto* reference = static_cast<GSSlot*>(Pop().p);
    const GSString* string = GSStringOf(reference);
    ASSERT_NE(string, nullptr);
    EXPECT_EQ(std::string(string->View()), "pushed");
    EXPECT_EQ(Count(reference), 1);
    EXPECT_EQ(GSContextOf(reference), &context_);
    GSReleaseReference(reference);
    EXPECT_EQ(Pop().f, 2.5f);
    EXPECT_EQ(Pop().i, -7);
    EXPECT_FALSE(stack_.PushOverflowed());
}

TEST_F(StackPushes, ObjectsArePushedAsTheirViewForAClass) {
    GSObject* object = Derived();
    GSSlot* whole = object->GetInstance();
    GSSlot* baseView = GSScriptInstance::CastTo(Class("Base"), GSInstanceOf(whole));
    ASSERT_NE(baseView, whole);
    struct Case {
        const char* what;
        std::function<bool()> push;
        GSSlot* expected;
        int32_t countAfter;  // the instance's count while the pushed slot holds it
    };
    const Case cases[] = {
        {"object", [&] { return stack_.PushObject(object, nullptr); }, whole, 2},
        {"object as Base", [&] { return stack_.PushObject(object, Class("Base")); }, baseView, 2},
        {"object as Derived", [&] { return stack_.PushObject(object, Class("Derived")); }, whole, 2},
        {"object as Other", [&] { return stack_.PushObject(object, Class("Other")); }, nullptr, 1},
        {"null object", [&] { return stack_.PushObject(nullptr, Class("Base")); }, nullptr, 1},
        {"reference handed over",
         [&] { GSAddReference(whole); return stack_.PushReference(whole, nullptr); }, whole, 2},
        {"reference as Base",
         [&] { GSAddReference(whole); return stack_.PushReference(whole, Class("Base")); }, baseView, 2},
        // The count handed over for a view that does not exist is released.
        {"reference as Other",
         [&] { GSAddReference(whole); return stack_.PushReference(whole, Class("Other")); }, nullptr, 1},
        {"null reference", [&] { return stack_.PushReference(nullptr, Class("Base")); }, nullptr, 1},
        {"new object's count taken",
         [&] { GSAddReference(whole); return stack_.PushObjectNoRef(object, Class("Base")); }, baseView, 2},
        {"new object as Other",
         [&] { GSAddReference(whole); return stack_.PushObjectNoRef(object, Class("Other")); }, nullptr, 1},
    };
    for (const Case& c : cases) {
        GSSlot* const before = stack_.Top();
        ASSERT_TRUE(c.push()) << c.what;
        EXPECT_EQ(stack_.Top(), before + 1) << c.what;
        EXPECT_EQ(stack_.Top()->p, c.expected) << c.what;
        EXPECT_EQ(Count(whole), c.countAfter) << c.what;
        GSReleaseReference(static_cast<GSSlot*>(Pop().p));
        EXPECT_EQ(Count(whole), 1) << c.what;
    }

    // An object without an instance pushes null.
    GSObject bare;
    ASSERT_TRUE(stack_.PushObject(&bare, nullptr));
    EXPECT_EQ(Pop().p, nullptr);
    delete object;
}

TEST_F(StackPushes, AFullStackRefusesEveryPushAndLeaksNothing) {
    for (int32_t i = 0; i < GSStack::kCapacity; ++i) ASSERT_TRUE(stack_.PushInt(i)) << i;
    GSSlot* const full = stack_.Top();
    EXPECT_EQ(full, stack_.Slots() + GSStack::kCapacity - 1);
    EXPECT_EQ(stack_.FreeSlots(), 0);
    EXPECT_FALSE(stack_.PushOverflowed());

    GSObject* object = Derived();
    GSSlot* whole = object->GetInstance();
    const int64_t heapWithObject = GSContextNamedHeap().BytesInUse();
    struct Case {
        const char* what;
        std::function<bool()> push;
    };
    const Case cases[] = {
        {"int", [&] { return stack_.PushInt(1); }},
        {"float", [&] { return stack_.PushFloat(1.0f); }},
        {"string", [&] { return stack_.PushString("never made", &context_); }},
        {"object", [&] { return stack_.PushObject(object, Class("Base")); }},
        {"reference", [&] { GSAddReference(whole); return stack_.PushReference(whole, Class("Base")); }},
        {"new object", [&] { GSAddReference(whole); return stack_.PushObjectNoRef(object, nullptr); }},
    };
    for (const Case& c : cases) {
        stack_.ClearPushOverflow();
        EXPECT_FALSE(c.push()) << c.what;
        EXPECT_TRUE(stack_.PushOverflowed()) << c.what;
        EXPECT_EQ(stack_.Top(), full) << c.what;
        EXPECT_EQ(full->i, GSStack::kCapacity - 1) << c.what;
        EXPECT_EQ(Count(whole), 1) << c.what;
        EXPECT_EQ(GSContextNamedHeap().BytesInUse(), heapWithObject) << c.what;
    }

    // The mark stays until cleared; a slot freed takes the next push again.
    Pop();
    EXPECT_TRUE(stack_.PushOverflowed());
    stack_.ClearPushOverflow();
    EXPECT_TRUE(stack_.PushInt(5));
    EXPECT_FALSE(stack_.PushOverflowed());
    stack_.Reset();
    delete object;
}

}  // namespace
