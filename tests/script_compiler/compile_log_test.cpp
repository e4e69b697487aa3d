// The compile log keeps messages in order and bounds what it holds; the compiler's message
// forms are bounded however long the text or the file name.
#include <gtest/gtest.h>

#include <string>

#include "script_compiler/compile_arena.h"
#include "script_compiler/gs_compile_log.h"
#include "script_compiler/gs_compiler.h"

namespace {

TEST(CompileLogTest, MessagesLeaveInTheOrderTheyCameAcrossManyChunks) {
    GSCompileLog log;
    for (int i = 0; i < 1000; ++i) log.Append(("message " + std::to_string(i)).c_str());
    log.Append(nullptr);
    EXPECT_EQ(log.Count(), 1001u);
    for (int i = 0; i < 1000; ++i) {
        const char* text = log.Take();
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text, "message " + std::to_string(i));
    }
    EXPECT_STREQ(log.Take(), "");
    EXPECT_EQ(log.Take(), nullptr);
    EXPECT_TRUE(log.IsEmpty());
}

TEST(CompileLogTest, ATextLongerThanAChunkIsCutNotLost) {
    GSCompileLog log;
    log.Append(std::string(10000, 'x').c_str());
    log.Append("after");
    EXPECT_EQ(std::string(log.Take()), std::string(GSCompileLog::kChunkBytes - 1, 'x'));
    EXPECT_STREQ(log.Take(), "after");
}

// A text beyond 255 characters is cut; the "file(line) : text" line is cut at 2047
// characters even with a file name longer than that.
TEST(CompileLogTest, MessageFormsAreBounded) {
    GSCompileLog log;
    CompileArena arena;
    arena.Reset(nullptr, &log);
    const std::string longText(1000, 't');
    GSCompiler::Message(arena, "%s", longText.c_str());
    GSCompiler::ReportError(arena, true, false, 7, "%s", longText.c_str());
    const std::string longName(5000, 'n');
    GSCompiler::ReportErrorAt(arena, false, true, longName.c_str(), 9, "text");
    EXPECT_EQ(std::string(log.Take()), std::string(255, 't'));
    EXPECT_EQ(std::string(log.Take()), "(7) : " + std::string(255, 't'));
    EXPECT_EQ(std::string(log.Take()), std::string(2047, 'n'));
    EXPECT_EQ(arena.errorCount, 1);
    EXPECT_EQ(arena.warningCount, 1);
}

}  // namespace
