// TFile over real files: reading to the end reports like memory, large reads and the refill
// after them, Size in the middle of reading, a missing or failing file as error 1, closing a
// borrowed file at the logical position, and Reopen starting the file afresh.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "foundation/streams/t_file.h"
#include "stream_test_support.h"

namespace fs = std::filesystem;

namespace {

class StreamFileTest : public TempFilesTest {};

TEST_F(StreamFileTest, ReadingToTheEndReportsLikeMemory) {
    // A short refill at the end of a file is not an input/output failure: files and memory
    // both stay clean until a read runs past the end.
    Bytes data = Pattern(10);
    TFile file;
    file.Open(Make("ten", data).c_str(), TFile::kModeRead);
    ASSERT_TRUE(file.IsOpen());
    MemoryStream memory(data);
    for (TStream* s : {static_cast<TStream*>(&file), static_cast<TStream*>(&memory.Stream())}) {
        uint8_t byte = 0;
        ASSERT_EQ(s->ReadBytes(&byte, 1), 1u);
        EXPECT_EQ(byte, data[0]);
        EXPECT_EQ(s->GetError(), 0);
        Bytes rest(9);
        EXPECT_EQ(s->ReadBytes(rest.data(), 9), 9u);
        EXPECT_EQ(s->GetError(), 0);
        EXPECT_TRUE(s->Eof());
        uint32_t u32 = 0;
        EXPECT_FALSE(s->ReadUInt32(u32, 5));
        EXPECT_EQ(s->GetError(), TStream::kErrorShortRead);
    }
}

TEST_F(StreamFileTest, LargeReadsFillNoBufferAndSizeKeepsThePosition) {
    Bytes data = Pattern(10000);
    TFile file;
    file.Open(Make("big", data).c_str(), TFile::kModeRead);
    Bytes big(5000);
    ASSERT_EQ(file.ReadBytes(big.data(), big.size()), 5000u);
    EXPECT_EQ(file.ReadAheadCount(), 0);
    uint8_t byte = 0;
    ASSERT_EQ(file.ReadBytes(&byte, 1), 1u);
    EXPECT_EQ(byte, data[5000]);
    EXPECT_EQ(file.ReadAheadCount(), TStream::kBufferSize - 1);

    EXPECT_EQ(file.Size(), 10000);
    EXPECT_EQ(file.Tell(), 5001);
    ASSERT_EQ(file.ReadBytes(&byte, 1), 1u);
    EXPECT_EQ(byte, data[5001]);
    EXPECT_EQ(file.GetError(), 0);
}

TEST_F(StreamFileTest, WithoutAnOpenFileEverythingIsError1) {
    TFile none;
    EXPECT_FALSE(none.IsOpen());
    EXPECT_EQ(none.Tell(), 0);
    EXPECT_TRUE(none.Eof());
    uint32_t u32 = 0;
    EXPECT_FALSE(none.ReadUInt32(u32, 3));
    EXPECT_EQ(u32, 3u);
    EXPECT_EQ(none.GetError(), TStream::kErrorIO); // not replaced by the short read's 4

    TFile missing;
    missing.Open((root_ + "/absent").c_str(), TFile::kModeRead);
    EXPECT_FALSE(missing.IsOpen());
    missing.WriteInt32(1);
    EXPECT_EQ(missing.GetError(), TStream::kErrorIO);
}

TEST_F(StreamFileTest, AFailingWriteIsError1) {
    TFile full;
    full.Open("/dev/full", TFile::kModeCreate);
    ASSERT_TRUE(full.IsOpen());
    EXPECT_EQ(full.WriteBytes("abcd", 4), 0u);
    EXPECT_EQ(full.GetError(), TStream::kErrorIO);
}

TEST_F(StreamFileTest, ClosingLeavesABorrowedFileAtTheLogicalPosition) {
    Bytes data = Pattern(10000);
    std::string path = Make("borrowed", data);
    Kiv::File engineFile;
    ASSERT_TRUE(engineFile.Open(path.c_str(), TFile::kModeRead).IsOk());
    {
        TFile stream(&engineFile, false);
        Bytes head(10);
        ASSERT_EQ(stream.ReadBytes(head.data(), 10), 10u);
        EXPECT_EQ(engineFile.Tell(), TStream::kBufferSize);
        stream.Close();
        EXPECT_EQ(stream.ReadAheadCount(), 0);
        EXPECT_FALSE(stream.IsOpen());
    }
    EXPECT_TRUE(engineFile.IsOpen());
    EXPECT_EQ(engineFile.Tell(), 10);
}

TEST_F(StreamFileTest, ClosingClearsTheErrorAndReopenStartsAfresh) {
    std::string path = root_ + "/fresh";
    TFile file;
    file.Open(path.c_str(), TFile::kModeCreate);
    ASSERT_TRUE(file.IsOpen());
    file.WriteString(Kiv::String("abc"));
    file.SetError(TStream::kErrorShortRead);
    file.Reopen();
    EXPECT_EQ(file.GetError(), 0);
    file.WriteByte('z');
    file.Close();
    EXPECT_EQ(Load(path), Hex("7A"));

    file.Open((root_ + "/absent").c_str(), TFile::kModeRead);
    file.WriteByte(1);
    ASSERT_NE(file.GetError(), 0);
    file.Close();
    EXPECT_EQ(file.GetError(), 0);
}

TEST_F(StreamFileTest, WritingThenRewindingReadsTheValuesBack) {
    std::string path = root_ + "/values";
    TFile file;
    file.Open(path.c_str(), TFile::kModeCreate);
    int64_t placeholder = file.WritePlaceholder();
    file.WriteInt64(-5);
    file.PatchLength(placeholder);
    file.Rewind();
    uint32_t length = 0;
    int64_t value = 0;
    EXPECT_TRUE(file.ReadUInt32(length, 0));
    EXPECT_TRUE(file.ReadInt64(value, 0));
    EXPECT_EQ(length, 8u);
    EXPECT_EQ(value, -5);
    EXPECT_EQ(file.GetError(), 0);
    file.Close();
    EXPECT_EQ(Load(path), Hex("08 00 00 00 FB FF FF FF FF FF FF FF"));
}

} // namespace
