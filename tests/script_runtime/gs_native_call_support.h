// Shared pieces of the tests of the stack's pushes and of the natives: a library of three
// classes (Base, Derived : Base with Base's view at slot 2, and Other), strings made in the
// test's context, and a native called the way the interpreter calls one: `me` and the
// arguments pushed by hand, a frame entered for a function with those argument slots and
// nothing else, the binding found in the machine by class name and signature and called.
// Every test ends with the context heap as it found it.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "gs_frame_test_support.h"
#include "gs_runtime_test_support.h"
#include "gsl_image_builder.h"
#include "script_runtime/gs_class.h"
#include "script_runtime/gs_context.h"
#include "script_runtime/gs_context_heap.h"
#include "script_runtime/gs_function.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_math_natives.h"
#include "script_runtime/gs_native_arguments.h"
#include "script_runtime/gs_native_function.h"
#include "script_runtime/gs_object.h"
#include "script_runtime/gs_stack.h"
#include "script_runtime/gs_string.h"

namespace gstest {

inline gsl::Image ViewsImage() {
    gsl::Image image;
    image.id1 = 0x5151;
    image.id2 = 0x5252;
    image.sourceName = "views.gs";
    image.classRefs = {{0, "Base"}, {0, "Derived"}, {0, "Other"}};
    gsl::Class base;
    base.name = "Base";
    gsl::Class derived;
    derived.name = "Derived";
    derived.ancestors = {{0, 2, 1}};
    derived.instanceSlots = 7;
    derived.triples = {{0, 2, -2}, {1, 3, 0}, {1, 1, 0}};
    gsl::Class other;
    other.name = "Other";
    image.classes = {base, derived, other};
    return image;
}

struct NativeResult {
    bool pushed = false;      // exactly one value above the frame record
    bool overflowed = false;  // the stack's overflow mark after the call
    GSSlot value{};
};

class NativeTest : public MachineTest {
  protected:
    NativeTest() {
        Math::SetRandomState(1);
        caller_.SetScript(nullptr, &context_);
        folder_.Write("views.gsl", ViewsImage().Build());
        EXPECT_TRUE(machine_.AddLibrary(Kiv::PString(), folder_.Path().c_str(), "views.gsl"));
        library_ = machine_.GetLibrary(0x5151, 0x5252);
    }

    void TearDown() override {
        for (GSSlot* reference : made_) GSReleaseReference(reference);
        made_.clear();
        EXPECT_EQ(GSContextNamedHeap().BytesInUse(), heapBefore_);
    }

    GSClass* Class(const char* name) { return library_ ? library_->FindClass(name) : nullptr; }

    // A string of the test's context that the test releases at its end.
    GSString* String(const std::string& text) {
        auto* string = new GSString(&context_, Kiv::String(text));
        made_.push_back(string->GetReference());
        return string;
    }
    GSSlot Arg(GSString* string) { return GSPointerSlot(string ? string->GetReference() : nullptr); }
    static GSSlot Arg(int32_t value) { return GSIntSlot(value); }
    static GSSlot Arg(float value) {
        GSSlot slot{};
        slot.f = value;
        return slot;
    }

    // Calls the native with `me` (a reference, which lends the call a count) and the
    // arguments. `filler` int slots go first; with FillToTop the frame fits exactly, so that
    // nothing is left above it.
    static constexpr int32_t kFillToTop = -1;
    NativeResult Call(const char* className, const char* signature, std::vector<GSSlot> arguments,
                      GSSlot* me = nullptr, int32_t filler = 0) {
        NativeResult result;
        GSNativeFunction* binding = machine_.FindNative(Kiv::PString(signature), Kiv::PString(className));
        EXPECT_NE(binding, nullptr) << signature;
        if (!binding) return result;
        GSFunction function = FrameFunction(signature, static_cast<int32_t>(arguments.size()) + 1, 0, 0, 0);
        if (filler == kFillToTop) filler = GSStack::kCapacity - function.argumentSlots - function.stackNeed;
        for (int32_t i = 0; i < filler; ++i) EXPECT_TRUE(stack_.PushInt(i));
        GSAddReference(me);
        EXPECT_TRUE(stack_.PushReference(me, nullptr));
        for (const GSSlot& argument : arguments) {
            EXPECT_TRUE(stack_.PushInt(0));
            *stack_.Top() = argument;
        }
        EXPECT_TRUE(stack_.PushFrame(&function, 0));
        EXPECT_TRUE(binding->Call(&caller_, &stack_));
        GSSlot* recordEnd = stack_.TopFrame() + 3;
        result.pushed = stack_.Top() == recordEnd + 1;
        EXPECT_TRUE(result.pushed || stack_.Top() == recordEnd) << signature;
        if (result.pushed) result.value = *stack_.Top();
        result.overflowed = stack_.PushOverflowed();
        stack_.ClearPushOverflow();
        stack_.Reset();
        return result;
    }

    // The text of a pushed string, which the test then releases; "<null>" for null.
    static std::string TakeString(const NativeResult& result) {
        auto* reference = static_cast<GSSlot*>(result.value.p);
        const GSString* string = GSStringOf(reference);
        const std::string text = string ? std::string(string->View()) : "<null>";
        if (string) {
            EXPECT_EQ(GSInstanceOf(reference)->ReferenceCount(), 1) << text;
        }
        GSReleaseReference(reference);
        return text;
    }

    int64_t heapBefore_ = GSContextNamedHeap().BytesInUse();
    GSContext context_;
    GSObject caller_;
    GSStack stack_;
    GSLibrary* library_ = nullptr;
    std::vector<GSSlot*> made_;
};

}  // namespace gstest
