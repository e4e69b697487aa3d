// The signal-safe line builder of the crash report: number forms at their limits, and text
// longer than its buffer arriving whole and in order.
#include "foundation/crash/signal_safe_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <string>

namespace {

// Runs the writer on a pipe and returns what reached the other end.
template <class Body>
std::string Written(Body body) {
    int ends[2];
    EXPECT_EQ(pipe(ends), 0);
    {
        SignalSafeWriter out(ends[1]);
        body(out);
    }
    close(ends[1]);
    std::string bytes;
    char buffer[4096];
    for (ssize_t got; (got = read(ends[0], buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, static_cast<size_t>(got));
    close(ends[0]);
    return bytes;
}

TEST(CrashSignalSafeWriter, NumberForms) {
    EXPECT_EQ(Written([](SignalSafeWriter& out) {
                  out.Decimal(0).Text(" ").Decimal(-7).Text(" ").Decimal(INT64_MIN).Text(" ");
                  out.Decimal(INT64_MAX);
              }),
              "0 -7 -9223372036854775808 9223372036854775807");
    EXPECT_EQ(Written([](SignalSafeWriter& out) {
                  out.Hex(0).Text(" ").Hex(0xAbC).Text(" ").Hex(UINTPTR_MAX);
              }),
              "0x0 0xabc 0xffffffffffffffff");
}

TEST(CrashSignalSafeWriter, LongTextArrivesWholeAndInOrder) {
    std::string text;
    for (int i = 0; i < 300; ++i) text += std::to_string(i) + ",";
    ASSERT_GT(text.size(), 1000u);
    EXPECT_EQ(Written([&text](SignalSafeWriter& out) { out.Line(text.c_str()).Decimal(1); }),
              text + "\n1");
}

}  // namespace
