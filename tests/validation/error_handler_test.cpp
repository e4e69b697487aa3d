// The error handler's repeat rule, its removal of a destroyed subject's entries, and its
// singleton's life.
#include <gtest/gtest.h>

#include "validation/darodi/error_handler.h"
#include "validation_test_support.h"

namespace {

using DAROdi::Container;
using DAROdi::ErrorHandler;
using DAROdi::Tag;

// Subjects are compared by identity only, so any distinct addresses serve.
Container* const kBox = reinterpret_cast<Container*>(0x1000);
Container* const kOtherBox = reinterpret_cast<Container*>(0x2000);
Tag* const kTag = reinterpret_cast<Tag*>(0x3000);

class ErrorHandlerTest : public ::testing::Test {
  protected:
    ErrorHandler handler;
    const Kiv::PString text{"bad value"};
};

TEST_F(ErrorHandlerTest, DropsARepeatForTheSameSubjectOnly) {
    EXPECT_TRUE(handler.ErrorInContainer(text, kBox));
    EXPECT_FALSE(handler.ErrorInContainer(text, kBox));
    EXPECT_FALSE(handler.WarningInContainer(text, kBox)); // severity is not compared
    EXPECT_TRUE(handler.ErrorInContainer(text, kOtherBox));
    EXPECT_TRUE(handler.ErrorInTag(text, kTag));
    EXPECT_TRUE(handler.ErrorInContainer(Kiv::PString("Bad value"), kBox)); // case counts
    // A subject-free finding repeats an entry of its text whatever its subject.
    EXPECT_FALSE(handler.Error(text));
    EXPECT_FALSE(handler.Message(text));
    EXPECT_TRUE(handler.Warning(Kiv::PString("other")));
    EXPECT_FALSE(handler.Warning(Kiv::PString("other")));
    ASSERT_EQ(handler.GetEntries().size(), 5u);
    EXPECT_EQ(handler.GetEntries()[0].container, kBox);
    EXPECT_EQ(handler.GetEntries()[0].severity, 3);
    EXPECT_EQ(handler.GetEntries()[4].severity, 2);
    EXPECT_EQ(handler.GetEntries()[4].container, nullptr);
}

TEST_F(ErrorHandlerTest, AcceptsARepeatAfterClear) {
    EXPECT_TRUE(handler.MessageInTag(text, kTag));
    EXPECT_FALSE(handler.IsNewText(text));
    handler.Clear();
    EXPECT_TRUE(handler.IsNewText(text));
    EXPECT_TRUE(handler.MessageInTag(text, kTag));
    EXPECT_EQ(handler.GetEntries()[0].severity, 0);
}

TEST_F(ErrorHandlerTest, TracesRecordNothing) {
    EXPECT_TRUE(handler.Trace(text, kBox));
    EXPECT_TRUE(handler.TraceTag(text, kTag));
    EXPECT_TRUE(handler.GetEntries().empty());
}

TEST_F(ErrorHandlerTest, ADestroyedSubjectLosesItsFirstEntryAndIsForgottenByTheRest) {
    handler.ErrorInContainer(Kiv::PString("one"), kBox);
    handler.ErrorInContainer(Kiv::PString("two"), kOtherBox);
    handler.WarningInContainer(Kiv::PString("three"), kBox);
    handler.ErrorInTag(Kiv::PString("four"), kTag);
    handler.RemoveContainerEntry(kBox);
    const auto& entries = handler.GetEntries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].text, Kiv::PString("two"));
    EXPECT_EQ(entries[1].text, Kiv::PString("three"));
    EXPECT_EQ(entries[1].container, nullptr); // no pointer to the deleted object stays
    EXPECT_TRUE(handler.WarningInContainer(Kiv::PString("three"), kBox));
    handler.RemoveTagEntry(kTag);
    handler.RemoveTagEntry(kTag); // nothing left about it: nothing happens
    EXPECT_EQ(handler.GetEntries().size(), 3u);
}

TEST_F(ErrorHandlerTest, SetEntriesCopiesTheList) {
    std::vector<DAROdi::ErrorEntry> list{{kBox, nullptr, text, 3}};
    handler.SetEntries(list);
    list.clear();
    ASSERT_EQ(handler.GetEntries().size(), 1u);
    EXPECT_FALSE(handler.ErrorInContainer(text, kBox));
}

TEST_F(ErrorHandlerTest, EchoPrintsThePrefixAndTheFinding) {
    validation_test::TempFolder folder;
    validation_test::ScopedInterfaceText text(folder, "$tet_eh_warning \"W: \"\n");
    handler.SetEcho(true);
    testing::internal::CaptureStdout();
    handler.Warning(Kiv::PString("loose wheel"));
    handler.Warning(Kiv::PString("loose wheel")); // dropped: not echoed
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "W: loose wheel\n");
}

TEST(ErrorHandlerInstance, LivesFromCreateToDestroy) {
    ErrorHandler::CreateInstance();
    ErrorHandler* made = ErrorHandler::Instance();
    ASSERT_NE(made, nullptr);
    made->Error(Kiv::PString("x"));
    ErrorHandler::CreateInstance();
    EXPECT_EQ(ErrorHandler::Instance(), made);
    ErrorHandler::ClearInstance();
    EXPECT_TRUE(made->GetEntries().empty());
    ErrorHandler::DestroyInstance();
    EXPECT_EQ(ErrorHandler::Instance(), nullptr);
}

} // namespace
