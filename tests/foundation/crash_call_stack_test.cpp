// LogCallStack: the address line and one resolved line per address, printed as one block,
// and the resolution of a single address.
#include "foundation/crash/call_stack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(CrashCallStack, AddressLineThenOneLinePerFrame) {
    testing::internal::CaptureStdout();
    LogCallStack();
    std::vector<std::string> lines = Lines(testing::internal::GetCapturedStdout());
    ASSERT_GE(lines.size(), 3u);
    const std::string prefix = "callstack: ";
    ASSERT_EQ(lines[0].rfind(prefix, 0), 0u) << lines[0];
    EXPECT_LE(lines[0].size(), prefix.size() + 511u);
    std::istringstream addresses(lines[0].substr(prefix.size()));
    size_t count = 0;
    for (std::string address; addresses >> address; ++count) {
        EXPECT_EQ(address.rfind("0x", 0), 0u) << address;
        EXPECT_EQ(address.find_first_not_of("0123456789abcdef", 2), std::string::npos) << address;
    }
    EXPECT_EQ(lines[0].back(), ' ');
    EXPECT_EQ(lines.size(), 1 + count);

    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        EXPECT_EQ(line.rfind("  ", 0), 0u) << line;
        EXPECT_NE(line[2], ' ') << line;
        EXPECT_GE(line.size(), 16u);
        EXPECT_EQ(line.substr(line.size() - 14), " [<unknown>:0]") << line;
    }
    // LogCallStack and this test are frames of this program.
    EXPECT_TRUE(std::any_of(lines.begin() + 1, lines.end(), [](const std::string& line) {
        return line.find("test_foundation ") != std::string::npos;
    }));
}

TEST(CrashCallStack, ResolvesAnExportedFunctionAndTheModule) {
    CallStackFrameInfo frame =
        ResolveCallStackFrame(reinterpret_cast<const void*>(&std::abort));
    EXPECT_EQ(frame.function, "abort");
    EXPECT_NE(frame.module.find("libc.so"), std::string::npos) << frame.module;
    EXPECT_EQ(frame.file, "<unknown>");
    EXPECT_EQ(frame.line, 0);

    CallStackFrameInfo nowhere = ResolveCallStackFrame(nullptr);
    EXPECT_EQ(nowhere.module, "<unknown>");
    EXPECT_EQ(nowhere.function, "<unknown>");
}

}  // namespace
