// Utils::StringMap: the h * 3 + signed-char hash (a byte of 0x80 or more counts negative),
// strcmp-sorted chains that fix the iteration order, refused duplicates, and keys that are
// the caller's pointers; an ordered map against a plain one under the same random edits.
#include "foundation/utils/string_map.h"

#include <gtest/gtest.h>

#include <random>
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

TEST(StringMap, AnOrderedMapAnswersAndIteratesAsAPlainOne) {
    std::vector<std::string> keys;
    for (int i = 0; i < 300; ++i) keys.push_back("k" + std::to_string(i * 7919 % 1000));
    Utils::StringMap plain;
    Utils::StringMap ordered;
    ASSERT_TRUE(plain.Init(7));
    ASSERT_TRUE(ordered.Init(7, true));
    std::mt19937 random(43);
    for (int step = 0; step < 5000; ++step) {
        const char* key = keys[random() % keys.size()].c_str();
        Utils::StringMap::Iterator a;
        Utils::StringMap::Iterator b;
        switch (random() % 3) {
            case 0: ASSERT_EQ(plain.Insert(key, step), ordered.Insert(key, step)) << step; break;
            case 1: ASSERT_EQ(plain.Erase(key), ordered.Erase(key)) << step; break;
            default:
                ASSERT_EQ(plain.Find(key, a), ordered.Find(key, b)) << step;
                if (a.Current()) {
                    ASSERT_EQ(a.Current()->value, b.Current()->value) << step;
                }
                ASSERT_EQ(a.Next(), b.Next()) << step;
                if (a.Current()) {
                    ASSERT_STREQ(a.Current()->key, b.Current()->key) << step;
                }
        }
    }
    EXPECT_EQ(Keys(plain), Keys(ordered));
    EXPECT_GT(ordered.EntryCount(), 50u);
    ordered.Clear();
    EXPECT_TRUE(ordered.Insert(keys[0].c_str(), 1));  // a cleared map starts afresh
    EXPECT_EQ(Keys(ordered), std::vector<std::string>{keys[0]});
}

}  // namespace
