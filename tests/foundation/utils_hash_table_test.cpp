// Utils::UIntHashTable and Utils::HashTable: buckets by (key >> 1) mod 97 and by Hash,
// sorted chains, refused duplicates, iteration across buckets, erasing through an iterator
// and the clearing operations (ASan checks what they free); an ordered table against a plain
// one under the same random edits, and nodes placed later against nodes placed at once.
#include "foundation/utils/hash_table.h"
#include "foundation/utils/raw_memory.h"
#include "foundation/utils/uint_hash_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<uintptr_t> Keys(const Utils::UIntHashTable& table) {
    std::vector<uintptr_t> keys;
    Utils::UIntHashTable::Iterator it;
    for (bool more = table.Begin(it); more; more = it.Next())
        keys.push_back(it.Current()->key);
    return keys;
}

TEST(UIntHashTable, KeysShareABucketByKeyShiftedRightOneModulo97) {
    Utils::UIntHashTable table;
    ASSERT_TRUE(table.Init());
    EXPECT_EQ(table.BucketCount(), 97u);
    // Inserted in a scrambled order; iteration goes bucket by bucket, each chain ascending.
    const uintptr_t inserted[] = {3, 196, 195, 2, 0, 194, 1, 5, 4};
    for (uintptr_t key : inserted)
        ASSERT_TRUE(table.Insert(key, nullptr)) << key;
    // Bucket 0: 0, 1, 194, 195 (97 * 2 = 194); bucket 1: 2, 3, 196; bucket 2: 4, 5.
    EXPECT_EQ(Keys(table), (std::vector<uintptr_t>{0, 1, 194, 195, 2, 3, 196, 4, 5}));
    EXPECT_EQ(table.EntryCount(), 9u);
}

TEST(UIntHashTable, ADuplicateKeyIsRefusedAndFindStopsAtTheSortedPlace) {
    Utils::UIntHashTable table;
    ASSERT_TRUE(table.Init());
    int first = 1;
    int second = 2;
    ASSERT_TRUE(table.Insert(2, &first));
    EXPECT_FALSE(table.Insert(2, &second));
    EXPECT_EQ(table.EntryCount(), 1u);
    Utils::UIntHashTable::Iterator it;
    ASSERT_TRUE(table.Find(2, it));
    EXPECT_EQ(it.Current()->value, &first);
    EXPECT_FALSE(table.Find(3, it)) << "same bucket, absent";
    EXPECT_TRUE(it.AtEnd());
    EXPECT_FALSE(table.Find(1000, it));
    Utils::UIntHashTable uninitialised;
    EXPECT_FALSE(uninitialised.Insert(1, nullptr));
    EXPECT_FALSE(uninitialised.Find(1, it));
    EXPECT_FALSE(uninitialised.Begin(it));
}

TEST(UIntHashTable, EraseAtUnlinksTheFoundEntryAndRefusesForeignOrFinishedIterators) {
    Utils::UIntHashTable table;
    Utils::UIntHashTable other;
    ASSERT_TRUE(table.Init());
    ASSERT_TRUE(other.Init());
    for (uintptr_t key : {2, 3, 196, 8})
        ASSERT_TRUE(table.Insert(key, nullptr));
    ASSERT_TRUE(other.Insert(3, nullptr));
    Utils::UIntHashTable::Iterator it;
    ASSERT_TRUE(other.Find(3, it));
    uintptr_t key = 0;
    EXPECT_FALSE(table.EraseAt(&key, it)) << "an iterator of another table";
    Utils::UIntHashTable::Iterator finished;
    EXPECT_FALSE(table.EraseAt(&key, finished));
    ASSERT_TRUE(table.Find(3, it));
    ASSERT_TRUE(table.EraseAt(&key, it));
    EXPECT_EQ(key, 3u);
    EXPECT_EQ(it.Current()->key, 196u) << "moved on to the successor";
    ASSERT_TRUE(table.Find(196, it));
    ASSERT_TRUE(table.EraseAt(nullptr, it));
    EXPECT_EQ(it.Current()->key, 8u) << "the chain ended: the next bucket";
    EXPECT_EQ(Keys(table), (std::vector<uintptr_t>{2, 8}));
    EXPECT_EQ(table.EntryCount(), 2u);
}

struct Value {
    explicit Value(int* deletions) : deletions(deletions) {}
    ~Value() { ++*deletions; }
    int* deletions;
};

TEST(UIntHashTable, ClearingFreesEntriesAndOnRequestValuesOrKeys) {
    int deletions = 0;
    Utils::UIntHashTable values;
    ASSERT_TRUE(values.Init());
    for (uintptr_t key = 0; key < 300; key += 7)
        ASSERT_TRUE(values.Insert(key, new Value(&deletions)));
    values.ClearDeletingValues<Value>();
    EXPECT_EQ(deletions, 43);
    EXPECT_EQ(values.EntryCount(), 0u);
    EXPECT_EQ(values.BucketCount(), 97u) << "Clear keeps the buckets";
    Utils::UIntHashTable::Iterator it;
    EXPECT_FALSE(values.Begin(it));

    Utils::UIntHashTable keys;
    ASSERT_TRUE(keys.Init());
    for (const char* text : {"alpha", "beta", "gamma"}) {
        auto* copy = static_cast<char*>(Utils::AllocRaw(std::strlen(text) + 1));
        std::strcpy(copy, text);
        ASSERT_TRUE(keys.Insert(reinterpret_cast<uintptr_t>(copy), nullptr));
    }
    keys.ClearDeletingKeys();
    EXPECT_EQ(keys.EntryCount(), 0u);
    ASSERT_TRUE(keys.Insert(1, nullptr));
    keys.Release();
    EXPECT_EQ(keys.BucketCount(), 0u);
    EXPECT_FALSE(keys.Insert(1, nullptr));
    ASSERT_TRUE(keys.Init());
    ASSERT_TRUE(keys.Insert(1, nullptr));  // the destructor frees this entry
}

// A symbol-like node: a name hashed by its first letter, ordered by the name.
class NameNode : public Utils::IHashNode {
  public:
    explicit NameNode(const char* name) : name_(name) {}
    uint32_t Hash() const override { return static_cast<uint8_t>(name_[0]); }
    int32_t Compare(const IHashNode& other) const override {
        return std::strcmp(name_, static_cast<const NameNode&>(other).name_);
    }
    const char* Name() const { return name_; }

  private:
    const char* name_;
};

TEST(HashTable, IntrusiveNodesKeepSortedChainsAndRefuseEqualNodes) {
    Utils::HashTable table;
    Utils::HashTable::Iterator it;
    NameNode loose("x");
    EXPECT_FALSE(table.Insert(&loose)) << "no buckets yet";
    ASSERT_TRUE(table.Init(31));
    NameNode nodes[] = {NameNode("bb"), NameNode("b"), NameNode("a"), NameNode("ba"), NameNode("\x7f")};
    for (NameNode& node : nodes)
        ASSERT_TRUE(table.Insert(&node));
    NameNode twin("ba");
    EXPECT_FALSE(table.Insert(&twin));
    EXPECT_EQ(table.EntryCount(), 5u);
    std::vector<std::string> order;
    for (bool more = table.Begin(it); more; more = it.Next())
        order.push_back(static_cast<NameNode*>(it.Current())->Name());
    // 'a' is 97 (bucket 4), 'b' 98 (bucket 5), 0x7f is 127 (bucket 3).
    EXPECT_EQ(order, (std::vector<std::string>{"\x7f", "a", "b", "ba", "bb"}));
    ASSERT_TRUE(table.Find(twin, it));
    EXPECT_EQ(it.Current(), &nodes[3]);
    NameNode absent("bc");
    EXPECT_FALSE(table.Find(absent, it));
    table.Release();
    EXPECT_EQ(table.BucketCount(), 0u);
    EXPECT_EQ(table.EntryCount(), 0u);
}

// The names of the table's nodes in iteration order.
std::vector<std::string> Names(const Utils::HashTable& table) {
    std::vector<std::string> names;
    Utils::HashTable::Iterator it;
    for (bool more = table.Begin(it); more; more = it.Next())
        names.push_back(static_cast<NameNode*>(it.Current())->Name());
    return names;
}

TEST(HashTable, AnOrderedTableAnswersAndIteratesAsAPlainOne) {
    // Few buckets and names of a few letters: long chains, many repeats.
    std::vector<std::string> texts;
    for (char a = 'a'; a <= 'e'; ++a)
        for (char b = 'a'; b <= 'h'; ++b) texts.push_back(std::string{a, b}), texts.push_back(std::string{a});
    // Nodes are intrusive: each table has its own, and a twin of equal name for each.
    std::vector<NameNode> plainNodes;
    for (const std::string& text : texts) plainNodes.emplace_back(text.c_str());
    std::vector<NameNode> orderedNodes(plainNodes);
    const size_t count = plainNodes.size();
    for (size_t i = 0; i < count; ++i) plainNodes.push_back(plainNodes[i]), orderedNodes.push_back(orderedNodes[i]);
    Utils::HashTable plain;
    Utils::HashTable ordered;
    ASSERT_TRUE(plain.Init(3));
    ASSERT_TRUE(ordered.Init(3, true));
    std::mt19937 random(43);
    const auto name = [](const Utils::HashTable::Iterator& it) {
        return it.Current() ? std::string(static_cast<NameNode*>(it.Current())->Name()) : std::string("-");
    };
    for (int step = 0; step < 4000; ++step) {
        const size_t pick = random() % plainNodes.size();
        NameNode& one = plainNodes[pick];
        NameNode& other = orderedNodes[pick];
        Utils::HashTable::Iterator a;
        Utils::HashTable::Iterator b;
        switch (random() % 3) {
            case 0: ASSERT_EQ(plain.Insert(&one), ordered.Insert(&other)) << step; break;
            case 1: ASSERT_EQ(plain.Remove(&one), ordered.Remove(&other)) << step; break;
            default:
                ASSERT_EQ(plain.Find(one, a), ordered.Find(other, b)) << step;
                ASSERT_EQ(a.Current() ? static_cast<NameNode*>(a.Current()) - plainNodes.data() : -1,
                          b.Current() ? static_cast<NameNode*>(b.Current()) - orderedNodes.data() : -1)
                    << step;  // the same node, by its place among each table's own
                ASSERT_EQ(a.Next(), b.Next()) << step;  // the iterator stands in the chain
                ASSERT_EQ(name(a), name(b)) << step;
        }
        ASSERT_EQ(plain.EntryCount(), ordered.EntryCount()) << step;
    }
    EXPECT_EQ(Names(plain), Names(ordered));
    EXPECT_GT(ordered.EntryCount(), 10u);
}

TEST(HashTable, NewNodesPlacedLaterIterateAsNodesPlacedAtOnce) {
    // Distinct names in a scrambled order; the lazy table reads back now and then (placing
    // what waits, a few or many at a time) and loses nodes both waiting and placed.
    std::mt19937 random(17);
    std::vector<std::string> texts;
    for (int i = 0; i < 3000; ++i) 
        texts.push_back(static_cast<char>('a' + random() % 26) + std::to_string(random() % 100000) + "_" + std::to_string(i));
    std::vector<NameNode> eagerNodes;
    for (const std::string& text : texts) eagerNodes.emplace_back(text.c_str());
    std::vector<NameNode> lazyNodes(eagerNodes);
    Utils::HashTable eager;
    Utils::HashTable lazy;
    ASSERT_TRUE(eager.Init(31, true));
    ASSERT_TRUE(lazy.Init(31, true));
    std::vector<size_t> inside;
    for (size_t next = 0; next < texts.size(); ++next) {
        ASSERT_TRUE(eager.Insert(&eagerNodes[next]));
        ASSERT_TRUE(lazy.InsertNew(&lazyNodes[next]));
        inside.push_back(next);
        const uint32_t roll = random() % 100;
        if (roll < 20) {
            // Mostly one of the latest, now and then an old one.
            const size_t back = roll < 15 ? random() % std::min<size_t>(inside.size(), 4) : random() % inside.size();
            const size_t pick = inside[inside.size() - 1 - back];
            inside.erase(inside.end() - 1 - static_cast<std::ptrdiff_t>(back));
            ASSERT_TRUE(eager.Remove(&eagerNodes[pick]));
            ASSERT_TRUE(lazy.Remove(&lazyNodes[pick])) << next;
            ASSERT_FALSE(lazy.Remove(&lazyNodes[pick])) << next;
        } else if (roll < 22) {
            ASSERT_EQ(Names(eager), Names(lazy)) << next;
        } else if (roll < 23) {
            Utils::HashTable::Iterator it;
            ASSERT_FALSE(lazy.Insert(&lazyNodes[inside.back()])) << "an equal node is refused after placing";
            ASSERT_TRUE(lazy.Find(lazyNodes[inside.front()], it));
            EXPECT_EQ(it.Current(), &lazyNodes[inside.front()]);
        }
        ASSERT_EQ(eager.EntryCount(), lazy.EntryCount()) << next;
    }
    EXPECT_EQ(Names(eager), Names(lazy));
    lazy.Release();
    EXPECT_EQ(lazy.EntryCount(), 0u);
}

}  // namespace
