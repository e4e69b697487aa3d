// Script arrays and strings: growth, the range rule of both, replacing and copying ranges,
// reference counts of object cells, the cross-context rule of stores, and growth that
// cannot get its storage failing with the object unchanged.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script_runtime/gs_array.h"
#include "script_runtime/gs_context.h"
#include "script_runtime/gs_context_heap.h"
#include "script_runtime/gs_string.h"

namespace {

std::vector<int32_t> Ints(const GSArray& array) {
    std::vector<int32_t> values;
    for (int32_t i = 0; i < array.Count(); ++i) values.push_back(array.Elements()[i].i);
    return values;
}

// Arrays and strings of one context, all released (and checked freed) at the end.
class ArraysAndStrings : public ::testing::Test {
  protected:
    GSArray* IntArray(std::vector<int32_t> values) {
        auto* array = new GSArray(&context_, GSArray::kValues);
        for (size_t i = 0; i < values.size(); ++i) EXPECT_TRUE(array->SetInt(static_cast<int32_t>(i), values[i]));
        made_.push_back(array->GetReference());
        return array;
    }
    GSArray* ObjectArray() {
        auto* array = new GSArray(&context_, GSArray::kReferences);
        made_.push_back(array->GetReference());
        return array;
    }
    GSString* String(const char* text, GSContext* context = nullptr) {
        auto* string = new GSString(context ? context : &context_, text);
        made_.push_back(string->GetReference());
        return string;
    }
    static int32_t Count(GSObjectReference* object) { return GSInstanceOf(object->GetReference())->ReferenceCount(); }

    void TearDown() override {
        for (GSSlot* reference : made_) GSReleaseReference(reference);
        made_.clear();
        SetGSMaxObjectStorage(kGSMaxObjectStorage);
        EXPECT_EQ(GSContextNamedHeap().BytesInUse(), heapBefore_);
    }

    int64_t heapBefore_ = GSContextNamedHeap().BytesInUse();
    GSContext context_;
    std::vector<GSSlot*> made_;
};

TEST_F(ArraysAndStrings, ResizeGrowsNeverShrinksAndEmptiesBelowOne) {
    GSArray* values = IntArray({1, 2, 3, 4, 5});
    EXPECT_TRUE(values->Resize(2));
    EXPECT_EQ(Ints(*values), (std::vector<int32_t>{1, 2, 3, 4, 5}));

    GSArray* empty = IntArray({});
    EXPECT_TRUE(empty->SetInt(7, 9));
    EXPECT_EQ(Ints(*empty), (std::vector<int32_t>{0, 0, 0, 0, 0, 0, 0, 9}));
    EXPECT_FALSE(empty->SetInt(-1, 9));
    int32_t read = 0;
    EXPECT_FALSE(empty->GetInt(8, read));

    GSArray* objects = ObjectArray();
    GSString* held = String("held");
    ASSERT_TRUE(objects->SetObject(3, held->GetReference(), true, nullptr));
    EXPECT_EQ(objects->Count(), 4);
    EXPECT_EQ(Count(held), 2);
    EXPECT_TRUE(objects->Resize(0));
    EXPECT_EQ(objects->Count(), 0);
    EXPECT_EQ(objects->Elements(), nullptr);
    EXPECT_EQ(Count(held), 1);
}

// A loop that stores one index past the end each time must not copy the whole array on
// every store: the storage doubles, so 4,096 stores move it a dozen times, not 4,096.
TEST_F(ArraysAndStrings, GrowingOneByOneMovesTheStorageLogarithmicallyOften) {
    GSArray* values = IntArray({});
    int moves = 0;
    const GSSlot* storage = nullptr;
    for (int32_t i = 0; i < 4096; ++i) {
        ASSERT_TRUE(values->SetInt(i, i + 1));
        if (values->Elements() != storage) ++moves;
        storage = values->Elements();
    }
    EXPECT_LE(moves, 13);
    EXPECT_EQ(values->Count(), 4096);
    int32_t read = 0;
    EXPECT_TRUE(values->GetInt(4095, read));
    EXPECT_EQ(read, 4096);
    // Cells past the count stay zero when the array grows into its spare storage.
    EXPECT_TRUE(GSArray::ReplaceRange(*values, 2, -1, nullptr));
    EXPECT_TRUE(values->SetInt(4, 7));
    EXPECT_EQ(Ints(*values), (std::vector<int32_t>{1, 2, 0, 0, 7}));
}

TEST_F(ArraysAndStrings, SettingBytesOnePastTheEndMovesTheTextLogarithmicallyOften) {
    GSString* text = String("");
    int moves = 0;
    const char* storage = nullptr;
    for (int32_t i = 0; i < 4096; ++i) {
        ASSERT_TRUE(GSString::SetChar(*text, i, static_cast<char>('a' + i % 26)));
        if (text->View().data() != storage) ++moves;
        storage = text->View().data();
    }
    EXPECT_LE(moves, 14);
    EXPECT_EQ(text->Length(), 4096);
    EXPECT_EQ(text->View().substr(0, 3), "abc");
}

TEST_F(ArraysAndStrings, ReplaceRangeTable) {
    struct Case {
        std::vector<int32_t> array;
        int32_t from, to;
        std::vector<int32_t> other;  // {-1} stands for no other array
        bool ok;
        std::vector<int32_t> result;
    };
    const Case cases[] = {
        {{10, 11, 12, 13}, 1, 3, {99}, true, {10, 99, 13}},
        {{10, 11, 12, 13}, 6, 6, {99}, true, {10, 11, 12, 13, 0, 0, 99}},
        {{10, 11, 12, 13}, 1, 3, {-1}, true, {10, 13}},
        {{10, 11, 12, 13}, 2, 2, {7, 8}, true, {10, 11, 7, 8, 12, 13}},
        {{10, 11, 12, 13}, -5, -1, {}, true, {}},
        {{10, 11, 12, 13}, 3, 1, {99}, false, {10, 11, 12, 13}},
    };
    for (const Case& c : cases) {
        GSArray* array = IntArray(c.array);
        GSArray* other = c.other == std::vector<int32_t>{-1} ? nullptr : IntArray(c.other);
        EXPECT_EQ(GSArray::ReplaceRange(*array, c.from, c.to, other), c.ok) << c.from << ".." << c.to;
        EXPECT_EQ(Ints(*array), c.result) << c.from << ".." << c.to;
    }
}

TEST_F(ArraysAndStrings, RangesOfTheOtherKindFailAndChangeNothing) {
    GSArray* ints = IntArray({1, 2, 3});
    GSArray* objects = ObjectArray();
    ASSERT_TRUE(objects->SetObject(0, String("a")->GetReference(), true, nullptr));
    EXPECT_FALSE(GSArray::ReplaceRange(*ints, 0, 1, objects));
    EXPECT_FALSE(GSArray::CopyRange(*ints, *objects, 0, 1));
    EXPECT_EQ(Ints(*ints), (std::vector<int32_t>{1, 2, 3}));
}

TEST_F(ArraysAndStrings, CopyAndReplaceCountEveryCopiedReference) {
    GSString* a = String("a");
    GSString* b = String("b");
    GSArray* source = ObjectArray();
    ASSERT_TRUE(source->SetObject(0, a->GetReference(), true, nullptr));
    ASSERT_TRUE(source->SetObject(1, b->GetReference(), true, nullptr));

    GSArray* copy = ObjectArray();
    ASSERT_TRUE(GSArray::CopyRange(*copy, *source, 1, 99));
    EXPECT_EQ(copy->Count(), 1);
    EXPECT_EQ(Count(b), 3);

    // An array replaced into itself keeps what it holds alive through the replacement.
    ASSERT_TRUE(GSArray::ReplaceRange(*source, 0, 2, source));
    EXPECT_EQ(source->Count(), 2);
    EXPECT_EQ(Count(a), 2);
    EXPECT_EQ(Count(b), 3);
}

TEST_F(ArraysAndStrings, ObjectStoresPassOrKeepTheCallersCount) {
    GSArray* objects = ObjectArray();
    GSString* kept = String("kept");
    ASSERT_TRUE(objects->SetObject(0, kept->GetReference(), true, nullptr));
    EXPECT_EQ(Count(kept), 2);

    auto* passed = new GSString(&context_, "passed");
    ASSERT_TRUE(objects->SetObject(1, passed->GetReference(), false, nullptr));
    EXPECT_EQ(Count(passed), 1);

    // A refused store with keep clear gives the caller's count up.
    GSString* refused = String("refused");
    GSAddReference(refused->GetReference());
    EXPECT_FALSE(objects->SetObject(-1, refused->GetReference(), false, nullptr));
    EXPECT_EQ(Count(refused), 1);

    // Overwriting releases the old cell.
    ASSERT_TRUE(objects->SetObject(0, nullptr, true, nullptr));
    EXPECT_EQ(Count(kept), 1);
}

TEST_F(ArraysAndStrings, StoresAcrossContextsFollowTheOtherContextsFlag) {
    GSContext closed(false);
    GSContext open(true);
    GSArray* objects = ObjectArray();
    GSString* fromClosed = String("closed", &closed);
    GSString* fromOpen = String("open", &open);
    auto* fromNowhere = new GSString(static_cast<GSContext*>(nullptr), "nowhere");

    EXPECT_TRUE(objects->SetObject(0, fromClosed->GetReference(), true, nullptr));
    EXPECT_TRUE(objects->SetObject(1, fromOpen->GetReference(), true, nullptr));
    EXPECT_TRUE(objects->SetObject(2, fromNowhere->GetReference(), false, nullptr));
    GSSlot* cell = nullptr;
    EXPECT_TRUE(objects->GetObject(0, cell, false));
    EXPECT_EQ(cell, nullptr);
    EXPECT_EQ(Count(fromClosed), 1);
    EXPECT_TRUE(objects->GetObject(1, cell, false));
    EXPECT_EQ(cell, fromOpen->GetReference());
    EXPECT_TRUE(objects->GetObject(2, cell, false));
    EXPECT_EQ(cell, fromNowhere->GetReference());
    objects->Resize(0);
    GSReleaseReference(fromClosed->GetReference());
    GSReleaseReference(fromOpen->GetReference());
    made_.erase(made_.end() - 2, made_.end());
}

TEST_F(ArraysAndStrings, EmptyAndCopiedStringsJoinTheCurrentContext) {
    EXPECT_EQ(GSContext::LiveContexts().count(&context_), 1u);
    GSContext::SetCurrent(&context_);
    auto* empty = new GSString();
    made_.push_back(empty->GetReference());
    auto* copy = new GSString(String("text", nullptr));
    made_.push_back(copy->GetReference());
    GSContext::SetCurrent(nullptr);
    auto* loose = new GSString(static_cast<const GSString*>(nullptr));
    made_.push_back(loose->GetReference());
    EXPECT_EQ(empty->Header().GetContext(), &context_);
    EXPECT_EQ(copy->Header().GetContext(), &context_);
    EXPECT_EQ(copy->View(), "text");
    EXPECT_EQ(loose->Header().GetContext(), nullptr);
    EXPECT_EQ(loose->Length(), 0);
}

TEST_F(ArraysAndStrings, StringRangesTable) {
    struct Case {
        const char* text;
        int32_t start, end;
        bool ok;
        const char* substring;
    };
    const Case substrings[] = {
        {"apple", 1, 4, true, "ppl"}, {"apple", -1, -1, true, "apple"}, {"apple", 3, 1, false, "unchanged"},
        {"apple", 0, 99, true, "apple"}, {"apple", 6, -1, false, "unchanged"}, {"", 0, 0, true, ""},
    };
    for (const Case& c : substrings) {
        GSString* destination = String("unchanged");
        EXPECT_EQ(GSString::Substring(*destination, *String(c.text), c.start, c.end), c.ok) << c.text;
        EXPECT_EQ(destination->View(), c.substring) << c.text << " " << c.start << ".." << c.end;
    }

    struct Replace {
        const char* text;
        int32_t start, end;
        const char* other;  // null: no other string
        bool ok;
        const char* result;
    };
    const Replace replaces[] = {
        {"Hello World", 6, 6, "My ", true, "Hello My World"},
        {"Hello World", 0, 5, nullptr, true, " World"},
        {"Hello World", 5, 2, "x", false, "Hello World"},
        {"", 0, 0, "all of it", true, "all of it"},
        {"", 0, 0, nullptr, true, ""},
    };
    for (const Replace& r : replaces) {
        GSString* string = String(r.text);
        EXPECT_EQ(GSString::ReplaceRange(*string, r.start, r.end, r.other ? String(r.other) : nullptr), r.ok);
        EXPECT_EQ(string->View(), r.result);
    }
    EXPECT_EQ(String("")->Length(), 0);
}

TEST_F(ArraysAndStrings, GrowthWithoutStorageFailsAndChangesNothing) {
    GSArray* values = IntArray({1, 2});
    EXPECT_FALSE(values->SetInt(INT32_MAX, 1));
    EXPECT_FALSE(values->SetInt(0x7FFFFFF0, 1));
    EXPECT_FALSE(GSArray::ReplaceRange(*values, 0x7FFFFFF0, 0x7FFFFFF0, values));
    GSArray* objects = ObjectArray();
    GSString* held = String("held");
    GSAddReference(held->GetReference());
    EXPECT_FALSE(objects->SetObject(0x7FFFFFF0, held->GetReference(), false, nullptr));
    EXPECT_EQ(Count(held), 1);
    EXPECT_EQ(Ints(*values), (std::vector<int32_t>{1, 2}));

    SetGSMaxObjectStorage(16);
    GSString* text = String("0123456789");
    EXPECT_FALSE(GSString::ReplaceRange(*text, 10, 10, String("abcdefghij")));
    EXPECT_EQ(text->View(), "0123456789");
    EXPECT_FALSE(values->SetInt(2, 3));
    EXPECT_EQ(values->Count(), 2);
}

}  // namespace
