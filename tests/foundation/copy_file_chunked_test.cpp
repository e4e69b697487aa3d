// CopyFileChunked: empty, small, buffered-size and multi-chunk files copy byte for byte;
// a missing source, an unwritable destination and a full disk are failures; a copy onto the
// source itself, under any spelling of its name, is refused and leaves the file whole.
#include "foundation/files/copy_file_chunked.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "stream_test_support.h"

namespace fs = std::filesystem;

namespace {

class CopyFileChunkedTest : public TempFilesTest {
  protected:
    void SetUp() override {
        TempFilesTest::SetUp();
        fs::create_directory(At("Sub"));
    }
};

TEST_F(CopyFileChunkedTest, CopiesEveryByte) {
    for (size_t size : {size_t{0}, size_t{10}, size_t{4079}, size_t{40000}, kCopyChunkBytes + 5}) {
        SCOPED_TRACE(size);
        Bytes data = Pattern(size);
        std::string source = Make("source", data);
        Make("target", Pattern(3)); // replaced, not appended to
        EXPECT_TRUE(CopyFileChunked(source.c_str(), At("target").c_str()));
        EXPECT_TRUE(Load(At("target")) == data);
    }
}

TEST_F(CopyFileChunkedTest, FailuresAreReported) {
    std::string source = Make("source", Pattern(100));
    EXPECT_FALSE(CopyFileChunked(At("absent").c_str(), At("target").c_str()));
    EXPECT_FALSE(fs::exists(At("target")));
    EXPECT_FALSE(CopyFileChunked(source.c_str(), At("no/such/folder/target").c_str()));
    // A full disk must not pass for a finished copy.
    EXPECT_FALSE(CopyFileChunked(source.c_str(), "/dev/full"));
}

TEST_F(CopyFileChunkedTest, RefusesToCopyAFileOntoItself) {
    const Bytes data = Pattern(5000);
    std::string source = Make("Sub/Data.bin", data);
    fs::create_hard_link(source, At("Sub/linked.bin"));
    for (const std::string& target : {source, At("Sub/./Data.bin"), At("Sub/../Sub/Data.bin"),
                                      At("sub/data.BIN"), At("Sub/linked.bin")}) {
        SCOPED_TRACE(target);
        const Kiv::File::Result result = CopyFileChunked(source.c_str(), target.c_str());
        EXPECT_FALSE(result);
        EXPECT_EQ(result.GetCode(), Kiv::File::Result::kSameFile);
        EXPECT_STREQ(result.Text(), "source and destination are the same file");
        EXPECT_TRUE(Load(source) == data);
    }
}

} // namespace
