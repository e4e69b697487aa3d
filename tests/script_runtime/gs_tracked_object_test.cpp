// The tracked-object registry of a context: blocks of 1,022 slots with free lists, and the
// teardown that frees what reference counts cannot (cycles) when the context ends.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "script_runtime/gs_array.h"
#include "script_runtime/gs_context.h"
#include "script_runtime/gs_context_heap.h"
#include "script_runtime/gs_string.h"

namespace {

constexpr int kSlots = GSTrackedObject::kSlotsPerBlock;

TEST(GSTrackedObjectRegistry, BlocksFillInOrderAndFreedSlotsAreReused) {
    GSContext context;
    GSTrackedObjectRegistry& registry = context.Registry();
    std::vector<GSString*> strings;
    for (int i = 0; i < kSlots; ++i) strings.push_back(new GSString(&context, "s"));
    EXPECT_EQ(registry.BlockCount(), 1u);
    strings.push_back(new GSString(&context, "1023rd"));
    EXPECT_EQ(registry.BlockCount(), 2u);
    EXPECT_EQ(registry.BlockIndexOf(&strings.back()->Header()), 1);

    GSReleaseReference(strings[5]->GetReference());
    strings[5] = nullptr;
    // The second block stays current until it is full; then the freed slot of the first
    // block is taken.
    for (int i = 1; i < kSlots; ++i) {
        strings.push_back(new GSString(&context, "s"));
        EXPECT_EQ(registry.BlockIndexOf(&strings.back()->Header()), 1);
    }
    strings.push_back(new GSString(&context, "reuses"));
    EXPECT_EQ(registry.BlockIndexOf(&strings.back()->Header()), 0);
    EXPECT_EQ(registry.BlockCount(), 2u);
    for (GSString* string : strings)
        if (string) GSReleaseReference(string->GetReference());
}

TEST(GSTrackedObjectRegistry, TeardownFreesCyclesAndEveryStringStillRegistered) {
    const int64_t before = GSContextNamedHeap().BytesInUse();
    {
        GSContext context;
        auto* first = new GSArray(&context, GSArray::kReferences);
        auto* second = new GSArray(&context, GSArray::kReferences);
        ASSERT_TRUE(first->SetObject(0, second->GetReference(), false, nullptr));
        ASSERT_TRUE(second->SetObject(0, first->GetReference(), true, nullptr));
        auto* text = new GSString(&context, "still held");
        ASSERT_TRUE(second->SetObject(1, text->GetReference(), false, nullptr));
        new GSString(&context, "never released");
        // first holds second, second holds first: the cycle keeps both counts above zero.
        GSReleaseReference(first->GetReference());
        EXPECT_EQ(first->Header().ReferenceCount(), 1);
        EXPECT_GT(GSContextNamedHeap().BytesInUse(), before);
    }
    EXPECT_EQ(GSContextNamedHeap().BytesInUse(), before);
}

TEST(GSTrackedObjectRegistry, ObjectsWithoutContextAreNotTracked) {
    auto* loose = new GSString(static_cast<GSContext*>(nullptr), "loose");
    EXPECT_EQ(loose->Header().RegistrySlot(), nullptr);
    EXPECT_EQ(loose->Header().GetContext(), nullptr);
    GSReleaseReference(loose->GetReference());
}

}  // namespace
