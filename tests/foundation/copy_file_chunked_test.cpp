// CopyFileChunked: empty, small, buffered-size and multi-chunk files copy byte for byte;
// a missing source, an unwritable destination and a full disk are failures.
#include "foundation/copy_file_chunked.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "stream_test_support.h"

namespace fs = std::filesystem;

namespace {

class CopyFileChunkedTest : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/copy_file_chunked_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
    }
    void TearDown() override { fs::remove_all(root_); }

    std::string Make(const std::string& name, const Bytes& bytes) {
        std::string path = At(name);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    Bytes Load(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    std::string At(const std::string& name) const { return root_ + "/" + name; }

    std::string root_;
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

} // namespace
