// Utils::StringMap: the h * 3 + signed-char hash (a byte of 0x80 or more counts negative),
// strcmp-sorted chains that fix the iteration order, refused duplicates, and keys that are
// the caller's pointers.
#include "foundation/utils/string_map.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Keys(const Utils::StringMap& map) {
    std::vector<std::string> keys;
    Utils::StringMap::Iterator it;
    for (bool more = map.Begin(it); more; more = it.Next()) keys.push_back(it.Current()->key);
    return keys;
}

TEST(StringMap, HashTakesEachByteAsASignedChar) {
    struct Case {
        const char* key;
        uint32_t hash;
    };
    const Case cases[] = {
        {"", 0},
        {"a", 97},
        {"ab", 97 * 3 + 98},
        {"\xE9", 0xFFFFFFE9u},            // -23
        {"a\xE9", 97 * 3 - 23},
        {"\xE9\xE9", 0xFFFFFFE9u * 3 + 0xFFFFFFE9u},  // wraps in 32 bits
    };
    for (const Case& c : cases) EXPECT_EQ(Utils::StringMap::Hash(c.key), c.hash) << c.key;
}

TEST(StringMap, IteratesBucketByBucketEachChainInStrcmpOrder) {
    Utils::StringMap map;
    ASSERT_TRUE(map.Init(61));
    // Buckets mod 61: "\xE9" 34 (an unsigned byte would give 50), "(&" "<'" "a" all 36
    // (hashes 158, 219, 97), "b" 37.
    const char* inserted[] = {"b", "a", "<'", "\xE9", "(&"};
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(map.Insert(inserted[i], i)) << inserted[i];
    EXPECT_EQ(Keys(map), (std::vector<std::string>{"\xE9", "(&", "<'", "a", "b"}));
    EXPECT_EQ(map.EntryCount(), 5u);
}

TEST(StringMap, FindsByContentRefusesDuplicatesAndKeepsTheCallersPointer) {
    Utils::StringMap map;
    ASSERT_TRUE(map.Init(61));
    const std::string key = "Name";
    ASSERT_TRUE(map.Insert(key.c_str(), -7));
    EXPECT_FALSE(map.Insert("Name", 3)) << "a key is stored once";
    Utils::StringMap::Iterator it;
    ASSERT_TRUE(map.Find("Name", it));
    EXPECT_EQ(it.Current()->value, -7);
    EXPECT_EQ(it.Current()->key, key.c_str());
    EXPECT_FALSE(map.Find("name", it));
    EXPECT_FALSE(map.Find("(&", it)) << "a smaller key in an empty place";
    map.Clear();
    EXPECT_EQ(map.EntryCount(), 0u);
    EXPECT_FALSE(map.Find("Name", it));
}

TEST(StringMap, AMapWithoutBucketsRefusesEverything) {
    Utils::StringMap map;
    Utils::StringMap::Iterator it;
    EXPECT_FALSE(map.Insert("a", 1));
    EXPECT_FALSE(map.Find("a", it));
    EXPECT_FALSE(map.Begin(it));
}

}  // namespace
