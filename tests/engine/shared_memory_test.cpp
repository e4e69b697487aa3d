// Kiv::SharedMemory: a file-backed block seen by two attachments, new blocks read as zero,
// bad sizes and links refused.
#include "engine/shared_memory.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>

#include "temp_folder.h"

namespace {

TEST(SharedMemory, TwoAttachmentsShareTheBytes) {
    TempFolder folder;
    std::string path = folder.Path("kav-block.blk");
    Kiv::SharedMemory first(path.c_str(), 36);
    ASSERT_TRUE(first.ProcessAttach());
    EXPECT_TRUE(first.WasCreated());
    auto* words = static_cast<int32_t*>(first.GetData());
    for (int i = 0; i < 9; ++i) EXPECT_EQ(words[i], 0);
    words[8] = 5555;

    Kiv::SharedMemory second(path.c_str(), 36);
    ASSERT_TRUE(second.ProcessAttach());
    EXPECT_FALSE(second.WasCreated());
    EXPECT_EQ(static_cast<int32_t*>(second.GetData())[8], 5555);
    static_cast<int32_t*>(second.GetData())[0] = 7;
    EXPECT_EQ(words[0], 7);

    second.ProcessDetach();
    EXPECT_FALSE(second.IsAttached());
    EXPECT_EQ(second.GetData(), nullptr);
    EXPECT_EQ(folder.ReadFile("kav-block.blk").size(), 36u);
}

TEST(SharedMemory, BadSizesPathsAndLinksAreRefused) {
    TempFolder folder;
    Kiv::SharedMemory empty(folder.Path("zero").c_str(), 0);
    EXPECT_FALSE(empty.ProcessAttach());
    Kiv::SharedMemory huge(folder.Path("huge").c_str(), size_t(1) << 40);
    EXPECT_FALSE(huge.ProcessAttach());
    Kiv::SharedMemory nowhere(folder.Path("no/such/folder").c_str(), 36);
    EXPECT_FALSE(nowhere.ProcessAttach());
    Kiv::SharedMemory unnamed(nullptr, 36);
    EXPECT_FALSE(unnamed.ProcessAttach());

    folder.WriteFile("target", "");
    ASSERT_EQ(symlink(folder.Path("target").c_str(), folder.Path("link").c_str()), 0);
    Kiv::SharedMemory linked(folder.Path("link").c_str(), 36);
    EXPECT_FALSE(linked.ProcessAttach());
    EXPECT_EQ(folder.ReadFile("target"), "");
}

}  // namespace
