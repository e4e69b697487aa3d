// WriteFileAtomically: the target holds exactly the new bytes afterwards; when a step fails
// (no folder, a target that cannot be replaced) the old target is untouched, the cause is
// named, and no temporary file is left beside it.
#include "foundation/files/atomic_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "stream_test_support.h"

namespace fs = std::filesystem;

namespace {

class AtomicFileTest : public TempFilesTest {
  protected:
    size_t Entries() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(root_), {}));
    }
};

TEST_F(AtomicFileTest, ReplacesTheWholeFile) {
    Make("table.txt", Pattern(5000));
    std::string error;
    const std::string bytes = "short\n";
    ASSERT_TRUE(WriteFileAtomically(At("table.txt"), bytes, error)) << error;
    EXPECT_TRUE(Load(At("table.txt")) == Bytes(bytes.begin(), bytes.end()));
    ASSERT_TRUE(WriteFileAtomically(At("new.txt"), "", error)) << error;
    EXPECT_TRUE(Load(At("new.txt")).empty());
    EXPECT_EQ(Entries(), 2u);
}

TEST_F(AtomicFileTest, AFailedWriteKeepsTheOldFileAndLeavesNothing) {
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(At("no/such/folder/table.txt"), "x", error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;

    // A folder in the target's place cannot be replaced by a file.
    fs::create_directory(At("table.txt"));
    Make("table.txt/kept", Pattern(10));
    error.clear();
    EXPECT_FALSE(WriteFileAtomically(At("table.txt"), "new", error));
    EXPECT_NE(error.find("cannot rename the new file to " + At("table.txt")), std::string::npos)
        << error;
    EXPECT_TRUE(Load(At("table.txt/kept")) == Pattern(10));
    EXPECT_EQ(Entries(), 1u);
}

} // namespace
