// Asset filters: the wire bytes of each node kind and of nested groups (written by hand),
// reading them back, the key names and value texts, equality, and the reader on cut,
// hostile, over-deep and randomly damaged bytes.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <set>
#include <string>

#include "link/kav/kav_filter.h"
#include "tests/foundation/stream_test_support.h"

namespace {

using NodePtr = std::unique_ptr<KAVFilterElement>;
using MakeNode = std::function<NodePtr()>;

Bytes Written(const KAVFilterElement* node, bool* result = nullptr) {
    MemoryStream stream;
    bool ok = KAVFilterElement::Write(stream.Stream(), node);
    if (result) *result = ok;
    return Contents(stream.Stream());
}

// The node read from bytes; consumed tells how many bytes the read took.
NodePtr ReadFrom(const Bytes& bytes, int64_t* consumed = nullptr) {
    MemoryStream stream(bytes);
    NodePtr node = KAVFilterElement::ReadNew(stream.Stream());
    if (consumed) *consumed = stream.Stream().Tell();
    return node;
}

template <class Node, class... Args> NodePtr Make(Args... args) {
    return std::make_unique<Node>(args...);
}

// group(string 0 "a", negated group(bool 2))
NodePtr NestedExample() {
    auto root = std::make_unique<KAVFilterElementGroup>(Make<KAVFilterElementString>(0, "a"));
    KAVFilterElementGroup::OpenSubgroup(*root, Make<KAVFilterElementBool>(2));
    return root;
}

const Bytes kNestedExampleBytes = Hex("70 75 72 67  01 00  02 00 00 00"   // 'grup' mode 1, 2 nodes
                                      "  6e 72 74 73  00 00 00 00"        // 'strn' type 0
                                      "  02 00 00 00 61 00  00"           // "a", not quoted
                                      "  70 75 72 67  01 01  01 00 00 00" // negated, 1 node
                                      "    6c 6f 6f 62  02 00 00 00");    // 'bool' type 2

// Every kind, a flag of each value and subgroups two levels down.
NodePtr RichExample() {
    auto inner = std::make_unique<KAVFilterElementGroup>(Make<KAVFilterElementBool>(13));
    inner->Append(Make<KAVFilterElementInt>(2, -4, 9, true, false));
    auto assets = std::make_unique<KAVFilterElementAssetID>(1);
    assets->Insert(KUID(1, 2, 3));
    assets->Insert(KUID(-5, 7, 127));
    auto middle = std::make_unique<KAVFilterElementGroup>(std::move(inner));
    middle->Append(std::move(assets));
    auto root =
        std::make_unique<KAVFilterElementGroup>(Make<KAVFilterElementString>(0, "\"Box car\""));
    root->Append(Make<KAVFilterElementTimestamp>(1, (int64_t{1} << 32) + 5, -2, false, true));
    KAVFilterElementGroup::OpenSubgroup(*root, std::move(middle));
    root->Append(Make<KAVFilterElementString>(3, "steam"));
    return root;
}

struct GoldenCase {
    const char* name;
    MakeNode make;
    Bytes bytes;
};

std::vector<GoldenCase> GoldenCases() {
    return {
        {"group from the factory", [] { return KAVFilterElement::Create(0x67727570); },
         Hex("70 75 72 67  01 00  00 00 00 00")},
        {"string from the factory", [] { return KAVFilterElement::Create(0x7374726E); },
         Hex("6e 72 74 73  00 00 00 00  00 00 00 00  00")},
        {"bool from the factory", [] { return KAVFilterElement::Create(0x626F6F6C); },
         Hex("6c 6f 6f 62  03 00 00 00")},
        {"int from the factory", [] { return KAVFilterElement::Create(0x696E7465); },
         Hex("65 74 6e 69  01 00 00 00  00 00 00 00  00 00 00 00  00 00")},
        {"timestamp from the factory", [] { return KAVFilterElement::Create(0x74696D65); },
         Hex("65 6d 69 74  00 00 00 00  00 00 00 00 00 00 00 00"
             "  00 00 00 00 00 00 00 00  00 00")},
        {"asset id from the factory", [] { return KAVFilterElement::Create(0x61737374); },
         Hex("74 73 73 61  00 00 00 00  00 00 00 00")},
        {"quoted asset name", [] { return Make<KAVFilterElementString>(0, "\"Box car\""); },
         Hex("6e 72 74 73  00 00 00 00  08 00 00 00 42 6f 78 20 63 61 72 00  01")},
        {"category list keeps its quotes",
         [] { return Make<KAVFilterElementString>(1, "\"Box car\""); },
         Hex("6e 72 74 73  01 00 00 00  0a 00 00 00 22 42 6f 78 20 63 61 72 22 00  00")},
        {"int range", [] { return Make<KAVFilterElementInt>(2, -1, 300, true, false); },
         Hex("65 74 6e 69  02 00 00 00  ff ff ff ff  2c 01 00 00  01 00")},
        {"timestamp range travels whole",
         [] {
             return Make<KAVFilterElementTimestamp>(1, (int64_t{1} << 32) + 5, int64_t{-2}, false,
                                                    true);
         },
         Hex("65 6d 69 74  01 00 00 00  05 00 00 00 01 00 00 00"
             "  fe ff ff ff ff ff ff ff  00 01")},
        {"asset ids in KUID order without duplicates",
         [] {
             auto node = std::make_unique<KAVFilterElementAssetID>(1);
             node->Insert(KUID(-5, 7, 127));
             node->Insert(KUID(5, 7, 0));
             node->Insert(KUID(1, 2, 3));
             node->Insert(KUID(5, 7, 0));
             return NodePtr(std::move(node));
         },
         Hex("74 73 73 61  01 00 00 00  03 00 00 00"
             "  02 00 00 00 01 00 00 06"    // (1, 2, 3): 3 << 25 | 1
             "  07 00 00 00 05 00 00 00"    // (5, 7, 0)
             "  07 00 00 00 fb ff ff ff")}, // (-5, 7, 127): 127 << 25 | (-5 & 0x1FFFFFF)
        {"nested group", NestedExample, kNestedExampleBytes},
    };
}

TEST(KAVFilter, EachKindWritesItsGoldenBytesAndReadsThemBack) {
    for (const GoldenCase& c : GoldenCases()) {
        SCOPED_TRACE(c.name);
        NodePtr built = c.make();
        ASSERT_NE(built, nullptr);
        bool ok = false;
        EXPECT_EQ(Written(built.get(), &ok), c.bytes);
        EXPECT_TRUE(ok);

        int64_t consumed = 0;
        NodePtr read = ReadFrom(c.bytes, &consumed);
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(consumed, static_cast<int64_t>(c.bytes.size()));
        EXPECT_TRUE(KAVFilterElement::EqualsBothWays(*read, *built));
        EXPECT_EQ(Written(read.get()), c.bytes);
    }
}

TEST(KAVFilter, NoNodeIsAZeroTagAndReadsAsNone) {
    bool ok = false;
    EXPECT_EQ(Written(nullptr, &ok), Hex("00 00 00 00"));
    EXPECT_TRUE(ok);
    EXPECT_EQ(ReadFrom(Hex("00 00 00 00")), nullptr);
}

TEST(KAVFilter, FactoryKnowsOnlyTheSixTags) {
    const int32_t tags[] = {0x67727570, 0x7374726E, 0x626F6F6C, 0x696E7465, 0x74696D65, 0x61737374};
    for (int32_t tag : tags) {
        NodePtr node = KAVFilterElement::Create(tag);
        ASSERT_NE(node, nullptr) << std::hex << tag;
        EXPECT_EQ(node->GetTag(), tag);
    }
    // Zero, a byte-reversed tag, and a tag one off.
    for (int32_t tag : {0, 0x70757267, 0x67727571})
        EXPECT_EQ(KAVFilterElement::Create(tag), nullptr) << std::hex << tag;
}

TEST(KAVFilter, ReadingNormalisesFlagBytesToZeroOrOne) {
    Bytes bytes = Hex("70 75 72 67  07 02  01 00 00 00"
                      "  65 74 6e 69  01 00 00 00  03 00 00 00  04 00 00 00  80 ff");
    NodePtr node = ReadFrom(bytes);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(Written(node.get()), Hex("70 75 72 67  01 01  01 00 00 00"
                                       "  65 74 6e 69  01 00 00 00  03 00 00 00"
                                       "  04 00 00 00  01 01"));
    EXPECT_EQ(node->ValueText().View(), "(author:[3,4])");
}

TEST(KAVFilter, ReadingAnAssetIdSetCollapsesDuplicates) {
    Bytes bytes = Hex("74 73 73 61  00 00 00 00  03 00 00 00"
                      "  02 00 00 00 01 00 00 00"
                      "  02 00 00 00 01 00 00 00"
                      "  01 00 00 00 01 00 00 00");
    NodePtr node = ReadFrom(bytes);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->ValueText().View(), "(<kuid:1:1>,<kuid:1:2>,)");
}

TEST(KAVFilter, KeyNamesComeFromTheTypeNumber) {
    struct Case {
        MakeNode make;
        const char* keyName;
    };
    const Case cases[] = {
        {[] { return KAVFilterElement::Create(0x626F6F6C); }, "locally-available"},
        {[] { return KAVFilterElement::Create(0x696E7465); }, "author"},
        {[] { return KAVFilterElement::Create(0x7374726E); }, "asset-name"},
        {[] { return KAVFilterElement::Create(0x74696D65); }, "installation-timestamp"},
        {[] { return KAVFilterElement::Create(0x61737374); }, "asset-id"},
        {[] { return KAVFilterElement::Create(0x67727570); }, "group"},
        {[] { return Make<KAVFilterElementBool>(0); }, "local"},
        {[] { return Make<KAVFilterElementBool>(14); }, "from-huebarn"},
        {[] { return Make<KAVFilterElementBool>(19); }, "compatible"},
        {[] { return Make<KAVFilterElementBool>(20); }, "unknown"},
        {[] { return Make<KAVFilterElementBool>(-1); }, "unknown"},
        {[] { return Make<KAVFilterElementString>(4, "x"); }, "region-list"},
        {[] { return Make<KAVFilterElementString>(5, "x"); }, "unknown"},
        {[] { return Make<KAVFilterElementInt>(0); }, "local-rating"},
        {[] { return Make<KAVFilterElementInt>(2); }, "version"},
        {[] { return Make<KAVFilterElementInt>(3); }, "unknown"},
        {[] { return Make<KAVFilterElementTimestamp>(1); }, "modification-timestamp"},
        {[] { return Make<KAVFilterElementTimestamp>(2); }, "unknown"},
        {[] { return Make<KAVFilterElementAssetID>(1); }, "profile-map"},
        {[] { return Make<KAVFilterElementAssetID>(2); }, "unknown"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.make()->KeyName(), Kiv::PString(c.keyName)) << c.keyName;
}

TEST(KAVFilter, KeyNameTableHasOneRowPerTagAndType) {
    std::set<std::pair<int32_t, int32_t>> seen;
    for (const KAVFilterKeyNameRow& row : KAVFilterKeyNames())
        EXPECT_TRUE(seen.insert({row.tag, row.type}).second) << row.name;
    EXPECT_EQ(seen.size(), 33u);
}

TEST(KAVFilter, ValueTexts) {
    struct Case {
        const char* name;
        MakeNode make;
        const char* text;
    };
    const Case cases[] = {
        {"group example", NestedExample, "(asset-name:agroup:(location-unknown:true))"},
        {"empty group", [] { return KAVFilterElement::Create(0x67727570); }, "()"},
        {"bool", [] { return Make<KAVFilterElementBool>(5); }, "true"},
        {"string", [] { return Make<KAVFilterElementString>(3, "Steam Era"); }, "Steam Era"},
        {"default int", [] { return Make<KAVFilterElementInt>(); }, "(0,0)"},
        {"int", [] { return Make<KAVFilterElementInt>(0, -3, 7, true, false); }, "[-3,7)"},
        {"timestamp shows low 32 bits",
         [] {
             return Make<KAVFilterElementTimestamp>(0, (int64_t{1} << 32) + 5,
                                                    (int64_t{1} << 32) - 1, false, true);
         },
         "(5,-1]"},
        {"empty asset ids", [] { return Make<KAVFilterElementAssetID>(); }, "()"},
        {"asset ids",
         [] {
             auto node = std::make_unique<KAVFilterElementAssetID>();
             node->Insert(KUID(-5, 7, 127));
             node->Insert(KUID(1, 2, 3));
             node->Insert(KUID(1, 2, 0));
             return NodePtr(std::move(node));
         },
         "(<kuid:1:2>,<kuid2:1:2:3>,<kuid:-5:7>,)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.make()->ValueText().View(), c.text) << c.name;
}

TEST(KAVFilter, GroupValueTextRunsChildrenTogether) {
    KAVFilterElementGroup group(Make<KAVFilterElementString>(0, "a"));
    group.Append(Make<KAVFilterElementBool>(2));
    EXPECT_EQ(group.ValueText(), Kiv::PString("(asset-name:alocation-unknown:true)"));
}

TEST(KAVFilter, QuotesAreStrippedOnlyFromAWholeQuotedAssetName) {
    struct Case {
        int32_t type;
        const char* given;
        const char* value;
        bool quoted;
    };
    const Case cases[] = {
        {0, "\"Box car\"", "Box car", true},
        {1, "\"Box car\"", "\"Box car\"", false},
        {3, "\"Box car\"", "\"Box car\"", false},
        {0, "\"\"", "", true},
        {0, "\"", "\"", false},
        {0, "\"Box", "\"Box", false},
        {0, "Box\"", "Box\"", false},
        {0, "'Box'", "'Box'", false},
        {0, "\"a\"b\"", "a\"b", true},
        {0, "Box car", "Box car", false},
    };
    for (const Case& c : cases) {
        KAVFilterElementString node(c.type, c.given);
        EXPECT_EQ(node.ValueText().View(), c.value) << c.given;
        Bytes bytes = Written(&node);
        ASSERT_FALSE(bytes.empty());
        EXPECT_EQ(bytes.back(), c.quoted ? 1 : 0) << c.given;
    }
}

TEST(KAVFilter, EqualityIgnoresNothing) {
    struct Case {
        const char* name;
        MakeNode a;
        MakeNode b;
        bool equal;
    };
    auto group = [](std::vector<MakeNode> children, bool negate = false) {
        return [children, negate] {
            auto node = std::make_unique<KAVFilterElementGroup>();
            for (const MakeNode& child : children)
                node->Append(child());
            node->SetNegate(negate);
            return NodePtr(std::move(node));
        };
    };
    MakeNode name = [] { return Make<KAVFilterElementString>(0, "a"); };
    MakeNode local = [] { return Make<KAVFilterElementBool>(0); };
    const Case cases[] = {
        {"same children, same order", group({name, local}), group({name, local}), true},
        {"same children, other order", group({name, local}), group({local, name}), false},
        {"one child fewer", group({name, local}), group({name}), false},
        {"negated", group({name}), group({name}, true), false},
        {"mode", group({}), [] { return ReadFrom(Hex("70 75 72 67 00 00 00 00 00 00")); }, false},
        {"nested alike", NestedExample, NestedExample, true},
        {"group and condition", group({}), local, false},
        {"value case", [] { return Make<KAVFilterElementString>(0, "Box"); },
         [] { return Make<KAVFilterElementString>(0, "box"); }, false},
        {"quoted and bare name", [] { return Make<KAVFilterElementString>(0, "\"Box\""); },
         [] { return Make<KAVFilterElementString>(0, "Box"); }, false},
        {"two unknown bool types", [] { return Make<KAVFilterElementBool>(20); },
         [] { return Make<KAVFilterElementBool>(21); }, false},
        {"two unknown string types", [] { return Make<KAVFilterElementString>(7, "x"); },
         [] { return Make<KAVFilterElementString>(8, "x"); }, false},
        {"int and timestamp alike in text", [] { return Make<KAVFilterElementInt>(9, 1, 2); },
         [] { return Make<KAVFilterElementTimestamp>(9, 1, 2); }, false},
        {"timestamps alike in their low 32 bits",
         [] { return Make<KAVFilterElementTimestamp>(0, (int64_t{1} << 32) + 5, 9); },
         [] { return Make<KAVFilterElementTimestamp>(0, 5, 9); }, false},
        {"inclusive bound", [] { return Make<KAVFilterElementInt>(1, 1, 2, true, false); },
         [] { return Make<KAVFilterElementInt>(1, 1, 2, false, false); }, false},
        {"asset sets", [] { return ReadFrom(Hex("74 73 73 61 00 00 00 00 00 00 00 00")); },
         [] { return Make<KAVFilterElementAssetID>(0); }, true},
        {"rich filters alike", RichExample, RichExample, true},
    };
    for (const Case& c : cases) {
        NodePtr a = c.a();
        NodePtr b = c.b();
        ASSERT_TRUE(a && b) << c.name;
        EXPECT_EQ(a->Equals(*b), c.equal) << c.name;
        EXPECT_EQ(b->Equals(*a), c.equal) << c.name;
        EXPECT_EQ(KAVFilterElement::EqualsBothWays(*a, *b), c.equal) << c.name;
    }
}

TEST(KAVFilter, NullChildrenAreNotKept) {
    KAVFilterElementGroup group(nullptr);
    group.Append(nullptr);
    KAVFilterElementGroup::OpenSubgroup(group, nullptr);
    EXPECT_EQ(Written(&group), Hex("70 75 72 67  01 00  01 00 00 00"
                                   "  70 75 72 67  01 01  00 00 00 00"));
}

TEST(KAVFilter, AValueTooLongToCarryFailsTheWriteAtThatChild) {
    std::string longest(TStream::kMaxStringLength - 1, 'x');
    KAVFilterElementString fits(1, Kiv::PString(longest));
    bool ok = false;
    Bytes bytes = Written(&fits, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(bytes.size(), 4u + 4 + 4 + TStream::kMaxStringLength + 1);
    NodePtr read = ReadFrom(bytes);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->ValueText().Length(), longest.size());

    KAVFilterElementGroup group(Make<KAVFilterElementString>(1, Kiv::PString(longest + "x")));
    group.Append(Make<KAVFilterElementBool>(0));
    EXPECT_EQ(Written(&group, &ok), Hex("70 75 72 67  01 00  02 00 00 00  6e 72 74 73"));
    EXPECT_FALSE(ok);
}

TEST(KAVFilter, EveryCutOfAValidFilterReadsAsNone) {
    for (const Bytes& whole : {kNestedExampleBytes, Written(RichExample().get())}) {
        ASSERT_NE(ReadFrom(whole), nullptr);
        for (size_t n = 0; n < whole.size(); ++n)
            EXPECT_EQ(ReadFrom(Bytes(whole.begin(), whole.begin() + n)), nullptr) << n;
    }
}

TEST(KAVFilter, HostileBytesReadAsNone) {
    const std::pair<const char*, Bytes> cases[] = {
        {"unknown tag", Hex("78 78 78 78  00 00 00 00")},
        {"unknown tag in a group", Hex("70 75 72 67  01 00  01 00 00 00  78 78 78 78")},
        {"zero tag in a group", Hex("70 75 72 67  01 00  01 00 00 00  00 00 00 00")},
        {"negative child count", Hex("70 75 72 67  01 00  ff ff ff ff")},
        {"huge child count", Hex("70 75 72 67  01 00  ff ff ff 7f  6c 6f 6f 62 00 00 00 00")},
        {"negative KUID count", Hex("74 73 73 61  00 00 00 00  ff ff ff ff")},
        {"huge KUID count", Hex("74 73 73 61  00 00 00 00  ff ff ff 7f  01 00 00 00 01 00 00 00")},
        {"negative string length", Hex("6e 72 74 73  00 00 00 00  ff ff ff ff 00")},
        {"huge string length", Hex("6e 72 74 73  00 00 00 00  00 00 01 00 61 00 00")},
        {"string body cut", Hex("6e 72 74 73  00 00 00 00  05 00 00 00 61 62")},
    };
    for (const auto& [name, bytes] : cases)
        EXPECT_EQ(ReadFrom(bytes), nullptr) << name;
}

// levels groups, each holding the next; the innermost one is empty.
Bytes NestedGroups(size_t levels) {
    const Bytes one = Hex("70 75 72 67  01 00  01 00 00 00");
    Bytes bytes;
    for (size_t i = 0; i < levels; ++i)
        bytes.insert(bytes.end(), one.begin(), one.end());
    bytes[bytes.size() - 4] = 0;
    return bytes;
}

TEST(KAVFilter, NestingIsReadUpTo512Levels) {
    int64_t consumed = 0;
    Bytes deepest = NestedGroups(KAVFilterElement::kMaxDepth);
    NodePtr node = ReadFrom(deepest, &consumed);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(consumed, static_cast<int64_t>(deepest.size()));
    EXPECT_EQ(Written(node.get()), deepest);

    EXPECT_EQ(ReadFrom(NestedGroups(KAVFilterElement::kMaxDepth + 1)), nullptr);
    EXPECT_EQ(ReadFrom(NestedGroups(200000)), nullptr);
}

Bytes Mutated(const Bytes& original, std::mt19937& random) {
    Bytes bytes = original;
    int edits = std::uniform_int_distribution<int>(1, 4)(random);
    for (int i = 0; i < edits && !bytes.empty(); ++i) {
        size_t at = std::uniform_int_distribution<size_t>(0, bytes.size() - 1)(random);
        uint8_t value = static_cast<uint8_t>(random());
        switch (random() % 4) {
        case 0:
            bytes[at] = value;
            break;
        case 1:
            bytes[at] ^= static_cast<uint8_t>(1u << (random() % 8));
            break;
        case 2:
            bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), value);
            break;
        default:
            bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at));
            break;
        }
    }
    return bytes;
}

// A damaged filter either reads as none or as a node that travels unchanged from then on.
TEST(KAVFilter, SeededMutationsNeverCrashAndReadConsistently) {
    const Bytes whole = Written(RichExample().get());
    int read = 0;
    int refused = 0;
    for (uint32_t seed = 1; seed <= 4000; ++seed) {
        std::mt19937 random(seed);
        Bytes damaged = Mutated(whole, random);
        NodePtr node = ReadFrom(damaged);
        if (!node) {
            ++refused;
            continue;
        }
        ++read;
        node->ValueText();
        bool ok = false;
        Bytes again = Written(node.get(), &ok);
        ASSERT_TRUE(ok) << seed;
        NodePtr reread = ReadFrom(again);
        ASSERT_NE(reread, nullptr) << seed;
        EXPECT_TRUE(KAVFilterElement::EqualsBothWays(*node, *reread)) << seed;
        EXPECT_EQ(Written(reread.get()), again) << seed;
    }
    // Both outcomes occur, so both paths were walked.
    EXPECT_GT(read, 100);
    EXPECT_GT(refused, 100);
}

} // namespace
