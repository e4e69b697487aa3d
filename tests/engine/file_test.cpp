// Kiv::File: open modes, reads and writes with positions, 64-bit sizes, and line reads
// (breaks kept, long lines split, a last line without a break).
#include "engine/file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstring>

#include "temp_folder.h"

namespace {

class FileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(folder.Root().empty()); }
    std::string At(const char* name) const { return folder.Path(name); }
    TempFolder folder;
};

TEST_F(FileTest, ReadModesOpenOnlyExistingFilesAndRefuseWrites) {
    folder.WriteFile("old.txt", "old data");
    for (uint32_t mode : {16u, 32u}) {
        Kiv::File file;
        EXPECT_EQ(file.Open(At("missing.txt").c_str(), mode).GetCode(), Kiv::FileResult::kNotFound);
        EXPECT_FALSE(file.IsOpen());
        ASSERT_TRUE(file.Open(At("old.txt").c_str(), mode).IsOk()) << mode;
        EXPECT_EQ(file.Write("new", 1, 3), 0u);
        char text[9] = {};
        EXPECT_EQ(file.Read(text, 1, 8), 8u);
        EXPECT_STREQ(text, "old data");
    }
    EXPECT_EQ(folder.ReadFile("old.txt"), "old data");
}

TEST_F(FileTest, CreateModesReplaceAFileAndAllowReadingBack) {
    for (uint32_t mode : {257u, 289u}) {
        folder.WriteFile("out.txt", "previous content");
        Kiv::File file;
        ASSERT_TRUE(file.Open(At("out.txt").c_str(), mode).IsOk()) << mode;
        EXPECT_EQ(file.Size(), 0);
        EXPECT_EQ(file.Write("abc", 1, 3), 3u);
        EXPECT_EQ(file.Seek(0, 0), 0);
        char text[4] = {};
        EXPECT_EQ(file.Read(text, 3, 1), 3u);
        EXPECT_STREQ(text, "abc");
        file.Close();
        EXPECT_EQ(folder.ReadFile("out.txt"), "abc");
    }
    Kiv::File created;
    EXPECT_TRUE(created.Open(At("fresh.txt").c_str(), 257).IsOk());
    EXPECT_TRUE(folder.Exists("fresh.txt"));
}

TEST_F(FileTest, BadModesFoldersAndFifosDoNotOpen) {
    Kiv::File file;
    EXPECT_EQ(file.Open(At("x").c_str(), 0).GetCode(), Kiv::FileResult::kInvalidArgument);
    EXPECT_EQ(file.Open(At("x").c_str(), 0x410).GetCode(), Kiv::FileResult::kInvalidArgument);
    EXPECT_EQ(file.Open(nullptr, 16).GetCode(), Kiv::FileResult::kInvalidArgument);
    EXPECT_EQ(file.Open(folder.Root().c_str(), 16).GetCode(), Kiv::FileResult::kIsAFolder);
    ASSERT_EQ(mkfifo(At("pipe").c_str(), 0600), 0);
    EXPECT_FALSE(file.Open(At("pipe").c_str(), 16).IsOk());  // would block if it waited for a writer
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.GetHandle(), -1);
}

TEST_F(FileTest, FolderAndNameFormKeepsPathModeAndOption) {
    folder.WriteFile("a.txt", "1");
    Kiv::File file;
    ASSERT_TRUE(file.Open(folder.Root().c_str(), "a.txt", 32, 7).IsOk());
    EXPECT_EQ(std::string(file.GetPath()), At("a.txt"));
    EXPECT_EQ(file.GetMode(), 32u);
    EXPECT_EQ(file.GetOpenOption(), 7u);
    ASSERT_TRUE(file.Open((folder.Root() + "\\").c_str(), "a.txt", 32).IsOk());
}

TEST_F(FileTest, ReadWriteSeekTellAndEof) {
    folder.WriteFile("ten.bin", "0123456789");
    Kiv::File file;
    ASSERT_TRUE(file.Open(At("ten.bin").c_str(), 16).IsOk());
    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, 4, 2), 8u);
    EXPECT_EQ(file.Tell(), 8);
    EXPECT_FALSE(file.Eof());
    EXPECT_EQ(file.Read(buffer, 4, 1), 2u);  // only two bytes were left
    EXPECT_TRUE(file.Eof());
    EXPECT_EQ(file.Seek(-3, 2), 7);
    EXPECT_EQ(file.Seek(2, 1), 9);
    EXPECT_EQ(file.Seek(-100, 0), -1);
    EXPECT_EQ(file.Tell(), 9);
    EXPECT_EQ(file.Seek(0, 3), -1);
    EXPECT_EQ(file.Read(buffer, SIZE_MAX, 2), 0u);  // size * count overflows
    EXPECT_EQ(file.Size(), 10);
    file.Close();
    EXPECT_TRUE(file.Eof());
    EXPECT_EQ(file.Tell(), 0);
    EXPECT_EQ(file.Read(buffer, 1, 1), 0u);
}

TEST_F(FileTest, SizesAndPositionsBeyondFourGigabytesAre64Bit) {
    Kiv::File file;
    ASSERT_TRUE(file.Open(At("sparse.bin").c_str(), 257).IsOk());
    const int64_t far = (int64_t(5) << 30) + 3;
    ASSERT_EQ(file.Seek(far, 0), far);
    ASSERT_EQ(file.Write("z", 1, 1), 1u);
    EXPECT_EQ(file.Tell(), far + 1);
    EXPECT_EQ(file.Size(), far + 1);
    char byte = 0;
    EXPECT_EQ(file.ReadAt(far, &byte, 1), 1u);
    EXPECT_EQ(byte, 'z');
    EXPECT_EQ(file.Tell(), far + 1);  // ReadAt leaves the position alone
}

TEST_F(FileTest, ReadLineKeepsBreaksSplitsLongLinesAndEndsWithTheLastLine) {
    std::string longLine(600, 'a');
    folder.WriteFile("lines.txt", "first\r\nsecond\n" + longLine + "\n\nlast");
    Kiv::File file;
    ASSERT_TRUE(file.Open(At("lines.txt").c_str(), 16).IsOk());
    char buffer[512];
    const std::string expected[] = {
        "first\r\n", "second\n", std::string(511, 'a'), std::string(89, 'a') + "\n", "\n", "last",
    };
    for (const std::string& line : expected) {
        ASSERT_FALSE(file.Eof());
        size_t got = file.ReadLine(buffer, sizeof buffer);
        EXPECT_EQ(got, line.size());
        EXPECT_EQ(std::string(buffer, got), line);
        EXPECT_EQ(std::strlen(buffer), line.size());  // NUL-terminated
    }
    EXPECT_TRUE(file.Eof());
    EXPECT_EQ(file.ReadLine(buffer, sizeof buffer), 0u);
    EXPECT_STREQ(buffer, "");
}

TEST_F(FileTest, ReadLineMayCutBetweenCarriageReturnAndLineFeed) {
    folder.WriteFile("crlf.txt", std::string(6, 'b') + "\r\nnext");
    Kiv::File file;
    ASSERT_TRUE(file.Open(At("crlf.txt").c_str(), 16).IsOk());
    char buffer[8];
    EXPECT_EQ(file.ReadLine(buffer, sizeof buffer), 7u);
    EXPECT_EQ(std::string(buffer), "bbbbbb\r");
    EXPECT_EQ(file.ReadLine(buffer, sizeof buffer), 1u);
    EXPECT_EQ(std::string(buffer), "\n");
    EXPECT_EQ(file.Tell(), 8);
    EXPECT_EQ(file.ReadLine(buffer, 1), 0u);  // no room for a byte and the NUL
    EXPECT_EQ(file.ReadLine(buffer, sizeof buffer), 4u);
}

TEST_F(FileTest, WriteLineEndsEachLineWithCarriageReturnLineFeed) {
    Kiv::File file;
    ASSERT_TRUE(file.Open(At("w.txt").c_str(), 257).IsOk());
    EXPECT_TRUE(file.WriteLine("12345"));
    EXPECT_TRUE(file.WriteLine(""));
    EXPECT_TRUE(file.WriteLine(nullptr));
    file.Close();
    EXPECT_EQ(folder.ReadFile("w.txt"), "12345\r\n\r\n\r\n");
    EXPECT_FALSE(file.WriteLine("closed"));
}

}  // namespace
