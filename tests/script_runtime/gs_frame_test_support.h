// Shared pieces of the stack and thread tests: function records built by hand from a
// frame's counts, strings that note when they go, and a machine fixture with one loaded
// library ("frames.gs") whose class "Thing" gives native objects their script instances.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gs_runtime_test_support.h"
#include "gsl_image_builder.h"
#include "script_runtime/gs_class.h"
#include "script_runtime/gs_context.h"
#include "script_runtime/gs_function.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_stack.h"
#include "script_runtime/gs_string.h"

namespace gstest {

// A function with P argument slots (`me` included), A locals, B temporaries and an
// evaluation depth of D, laid out as the compiler lays frames out.
inline GSFunction FrameFunction(const char* name, int32_t p, int32_t a, int32_t b, int32_t d,
                                std::vector<uint32_t> objectSlots = {}) {
    GSFunction function;
    function.name = name;
    function.argumentSlots = p;
    function.frameAdvance = a + b + 4;
    function.argumentBase = 1 - p;
    function.frameRecord = a + b + 1;
    function.stackNeed = d + a + b + 4;
    function.objectSlots = std::move(objectSlots);
    return function;
}

// A string whose end is noted in a shared list, to see the order of releases.
class NotedString : public GSString {
  public:
    NotedString(GSContext* context, const char* text, std::vector<std::string>& gone)
        : GSString(context, text), gone_(gone) {}
    ~NotedString() override { gone_.emplace_back(View()); }

  private:
    std::vector<std::string>& gone_;
};

inline int32_t CountOf(GSObjectReference* object) {
    return GSInstanceOf(object->GetReference())->ReferenceCount();
}

// Pushes a value the way the interpreter does: the top moves up one slot, then the store.
inline void Push(GSStack& stack, GSSlot value) {
    GSSlot* top = stack.Top() + 1;
    *top = value;
    stack.SetTop(top);
}

// Pushes a reference that owns one count of its object.
inline void PushCounted(GSStack& stack, GSObjectReference* object) {
    GSAddReference(object->GetReference());
    Push(stack, GSPointerSlot(object->GetReference()));
}

inline int32_t IndexOf(const GSStack& stack, const GSSlot* slot) {
    return static_cast<int32_t>(slot - stack.Slots());
}

class FrameTest : public MachineTest {
  protected:
    FrameTest() {
        gsl::Image image;
        image.id1 = 31;
        image.id2 = 32;
        image.sourceName = "frames.gs";
        gsl::Class thing;
        thing.name = "Thing";
        image.classes = {thing};
        folder_.Write("frames.gsl", image.Build());
        EXPECT_TRUE(machine_.AddLibrary(Kiv::PString(), folder_.Path().c_str(), "frames.gsl"));
        library_ = machine_.GetLibrary(31, 32);
        EXPECT_NE(library_, nullptr);
        thing_ = library_ ? library_->FindClass("Thing") : nullptr;
    }

    GSContext context_;
    GSLibrary* library_ = nullptr;
    GSClass* thing_ = nullptr;
};

} // namespace gstest
