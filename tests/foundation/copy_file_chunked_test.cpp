// CopyFileChunked: empty, small, buffered-size and multi-chunk files copy byte for byte;
// a missing source, an unwritable destination and a full disk are failures.
#include "foundation/files/copy_file_chunked.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "stream_test_support.h"

namespace fs = std::filesystem;

namespace {

class CopyFileChunkedTest : public TempFilesTest {};

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

} // namespace
