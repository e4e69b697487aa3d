// Kiv::IOSlaveMemory and Kiv::IOSlaveFile: independent cursors, capacity limits, buffered
// file writes that become visible at Flush and to reads, and byte-by-byte use.
#include "engine/io_slave.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/file.h"
#include "temp_folder.h"

namespace {

TEST(IOSlaveMemory, ReadOnlyBlockGivesItsBytesAndRefusesWrites) {
    const char data[] = "abcdef";
    Kiv::IOSlaveMemory slave(data, 6);
    char out[8] = {};
    EXPECT_EQ(slave.Read(out, 4), 4u);
    EXPECT_EQ(slave.Read(out + 4, 4), 2u);
    EXPECT_STREQ(out, "abcdef");
    EXPECT_EQ(slave.Read(out, 1), 0u);
    EXPECT_EQ(slave.Write("x", 1), 0u);
    slave.SetReadCursor(2);
    EXPECT_EQ(slave.Read(out, 1), 1u);
    EXPECT_EQ(out[0], 'c');
    EXPECT_EQ(slave.GetSize(), 6u);
}

TEST(IOSlaveMemory, WritableBlockStopsAtItsCapacity) {
    char block[5] = {};
    Kiv::IOSlaveMemory slave(block, 5, 0);
    EXPECT_EQ(slave.GetSize(), 0u);
    EXPECT_EQ(slave.Write("abc", 3), 3u);
    EXPECT_EQ(slave.Write("defg", 4), 2u);
    EXPECT_EQ(slave.Write("h", 1), 0u);
    EXPECT_EQ(std::string(block, 5), "abcde");
    EXPECT_EQ(slave.GetSize(), 5u);
    char out[5];
    EXPECT_EQ(slave.Read(out, 5), 5u);  // the read cursor is its own
    slave.SetWriteCursor(1);
    EXPECT_EQ(slave.Write("Z", 1), 1u);
    EXPECT_EQ(std::string(block, 5), "aZcde");
}

TEST(IOSlaveFile, BufferedWritesReachTheFileAndReadsSeeThem) {
    TempFolder folder;
    Kiv::File file;
    ASSERT_TRUE(file.Open(folder.Path("out.bin").c_str(), 289).IsOk());
    std::string expected;
    {
        Kiv::IOSlaveFile slave(file);
        for (int i = 0; i < 200000; ++i) {
            char byte = static_cast<char>('a' + i % 26);
            ASSERT_EQ(slave.Write(&byte, 1), 1u);
            expected += byte;
        }
        // Copy back from earlier output, as a decoder does with a match.
        slave.SetReadCursor(199990);
        char tail[10];
        ASSERT_EQ(slave.Read(tail, 10), 10u);
        EXPECT_EQ(std::string(tail, 10), expected.substr(199990));
        EXPECT_EQ(slave.Write(tail, 10), 10u);
        expected.append(tail, 10);
        EXPECT_EQ(slave.GetSize(), expected.size());
        slave.SetWriteCursor(0);
        EXPECT_EQ(slave.Write("Q", 1), 1u);
        expected[0] = 'Q';
        EXPECT_TRUE(slave.Flush());
    }
    file.Close();
    EXPECT_EQ(folder.ReadFile("out.bin"), expected);
}

TEST(IOSlaveFile, ReadsFromTheFilePositionAndWritesToAReadOnlyFileFail) {
    TempFolder folder;
    folder.WriteFile("in.bin", "0123456789");
    Kiv::File file;
    ASSERT_TRUE(file.Open(folder.Path("in.bin").c_str(), 16).IsOk());
    file.Seek(4, 0);
    Kiv::IOSlaveFile slave(file);
    EXPECT_EQ(slave.GetReadCursor(), 4u);
    char out[10] = {};
    EXPECT_EQ(slave.Read(out, 10), 6u);
    EXPECT_STREQ(out, "456789");
    EXPECT_EQ(slave.Write("x", 1), 1u);  // buffered
    EXPECT_FALSE(slave.Flush());
    EXPECT_EQ(slave.Write("y", 1), 0u);  // the failure sticks
    EXPECT_EQ(folder.ReadFile("in.bin"), "0123456789");
}

}  // namespace
