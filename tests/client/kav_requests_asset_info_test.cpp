// The asset-record request 21 and its thin wrappers against the in-process stand-in
// daemon: the payload bytes each call sends, the record read from a reply written by
// hand, and the answers when the link is down.
#include "kav_requests_test_support.h"

#include <functional>

#include "link/kav/kav_asset_info.h"

namespace {

const KUID kAsset(1234, 56, 2);
const Bytes kAssetBytes = KuidBytes(1234, 56, 2);

Bytes Bools(std::initializer_list<int> bits) {
    Bytes out;
    for (int bit : bits) out.push_back(static_cast<uint8_t>(bit));
    return out;
}

// A whole record: flag bytes 0x4C, 0x0A, 0x01 and 0x06, rating word 0x104.
const Bytes kFullRecord = Concat({
    kAssetBytes, Str("Coal wagon"), Str("UK"), Str("freight;coal"),
    Bools({0, 0, 1, 1, 0, 0, 1, 0}), Bools({0, 1, 0, 1, 0, 0, 0, 0}), Bools({1, 0}),
    Le32(1234), PStr("alice"), Str("1950s"), Le32(7), PStr("second"), Str("Rolling stock"),
    Bools({0, 1, 1}), Le32(0x104), Le32(0x40600000), Le64(1000), Le64(static_cast<uint64_t>(-2)),
    KuidBytes(1234, 55, 0), Byte(1)});

// A record whose flag bytes are first and second, everything else at its zero.
Bytes FlagRecord(uint8_t first, uint8_t second) {
    Bytes out = Concat({kAssetBytes, Str("Name"), Str("Region"), Str("words")});
    for (int bit = 0; bit < 8; ++bit) out.push_back((first >> bit) & 1);
    for (int bit = 0; bit < 8; ++bit) out.push_back((second >> bit) & 1);
    return Concat({out, Bools({0, 0}), Le32(0), PStr(""), Str("Era"), Le32(0), PStr(""), Str(""),
                   Bools({0, 0, 0}), Le32(0), Le32(0), Le64(0), Le64(0), KuidBytes(-1, -1, 127),
                   Byte(1)});
}

TEST_F(KAVRequestsTest, AssetInfoReadsEveryFieldInWireOrder) {
    Answer(21, kFullRecord);
    KAVAssetInfo info;
    EXPECT_TRUE(KAVClient::GetAssetInfo(kAsset, info, kAssetDetailAll));
    EXPECT_EQ(OnlyPayload(21), Concat({kAssetBytes, Le32(0xFFFFFFFF)}));
    EXPECT_EQ(info.kuid, kAsset);
    EXPECT_EQ(info.name, "Coal wagon");
    EXPECT_EQ(info.regionCategory, "UK");
    EXPECT_EQ(info.keywords, "freight;coal");
    EXPECT_EQ(info.flags1, 0x4C);
    EXPECT_EQ(info.flags2, 0x0A);
    EXPECT_EQ(info.flags3, 0x01);
    EXPECT_EQ(info.authorId, 1234);
    EXPECT_EQ(info.creatorName, Kiv::PString("alice"));
    EXPECT_EQ(info.eraCategory, "1950s");
    EXPECT_EQ(info.secondInt, 7);
    EXPECT_EQ(info.secondName, Kiv::PString("second"));
    EXPECT_EQ(info.categoryText, "Rolling stock");
    EXPECT_EQ(info.flags4, 0x06);
    EXPECT_EQ(info.localRating, 4);
    EXPECT_EQ(info.build, 3.5f);
    EXPECT_EQ(info.firstTime, 1000);
    EXPECT_EQ(info.secondTime, -2);
    EXPECT_EQ(info.parentKUID, KUID(1234, 55, 0));
    EXPECT_TRUE(info.valid);
}

// The daemon does not know the asset: the answer is the reply's valid byte.
TEST_F(KAVRequestsTest, AssetInfoAnswersTheValidByte) {
    Bytes reply = kFullRecord;
    reply.back() = 0;
    Answer(21, reply);
    KAVAssetInfo info;
    EXPECT_FALSE(KAVClient::GetAssetInfo(kAsset, info, kAssetDetailName));
    EXPECT_EQ(OnlyPayload(21), Concat({kAssetBytes, Le32(1)}));
    EXPECT_EQ(info.name, "Coal wagon");
}

// A reply cut short leaves the remaining fields at the defaults of their reads.
TEST_F(KAVRequestsTest, AssetInfoCutShortKeepsReadDefaults) {
    Answer(21, Bytes(kFullRecord.begin(), kFullRecord.begin() + 30));
    KAVAssetInfo info;
    EXPECT_FALSE(KAVClient::GetAssetInfo(kAsset, info, kAssetDetailAll));
    EXPECT_EQ(info.name, "Coal wagon");
    EXPECT_EQ(info.secondInt, -1);
    EXPECT_EQ(info.localRating, KAVAssetInfo::kNoRating);
    EXPECT_TRUE(info.parentKUID.IsNull());
}

struct TextCase {
    const char* name;
    std::function<Kiv::String(const KUID&)> call;
    int32_t mask;
    const char* answer;
};

TEST_F(KAVRequestsTest, TextWrappersSendTheirMaskAndAnswerOneText) {
    const TextCase cases[] = {
        {"name", KAVClient::GetAssetName, 1, "Name"},
        {"region", KAVClient::GetAssetRegionCategory, 4, "Region"},
        {"era", KAVClient::GetAssetEraCategory, 4, "Era"},
        {"keywords", KAVClient::GetAssetKeywords, 4, "words"},
    };
    Answer(21, FlagRecord(0x01, 0x00));
    for (const TextCase& c : cases) {
        payloads_.clear();
        EXPECT_EQ(c.call(kAsset), c.answer) << c.name;
        EXPECT_EQ(OnlyPayload(21), Concat({kAssetBytes, Le32(static_cast<uint32_t>(c.mask))}))
            << c.name;
    }
}

struct FlagCase {
    const char* name;
    std::function<bool(const KUID&)> call;
    uint8_t first;
    uint8_t second;
    bool answer;
};

TEST_F(KAVRequestsTest, FlagWrappersReadTheirBits) {
    const auto missingStrict = [](const KUID& k) { return KAVClient::HasMissingDependencies(k, false); };
    const auto missingLocal = [](const KUID& k) { return KAVClient::HasMissingDependencies(k, true); };
    const FlagCase cases[] = {
        {"modified set", KAVClient::IsAssetLocallyModified, 0x04, 0x00, true},
        {"modified clear", KAVClient::IsAssetLocallyModified, 0xFB, 0xFF, false},
        {"local set", KAVClient::IsAssetLocal, 0x08, 0x00, true},
        {"local clear", KAVClient::IsAssetLocal, 0xF7, 0xFF, false},
        {"faulty set", KAVClient::IsAssetFaulty, 0x00, 0x02, true},
        {"faulty clear", KAVClient::IsAssetFaulty, 0xFF, 0xFD, false},
        {"missing set", missingStrict, 0x08, 0x08, true},
        {"missing clear", missingStrict, 0x00, 0xF7, false},
        {"missing, not local, checked", missingLocal, 0x00, 0x00, true},
        {"missing, local, checked", missingLocal, 0x08, 0x00, false},
    };
    for (const FlagCase& c : cases) {
        payloads_.clear();
        Answer(21, FlagRecord(c.first, c.second));
        EXPECT_EQ(c.call(kAsset), c.answer) << c.name;
        EXPECT_EQ(OnlyPayload(21), Concat({kAssetBytes, Le32(8)})) << c.name;
    }
}

TEST_F(KAVRequestsTest, LinkDownGivesEachFailureValueAndTheRecordDefaults) {
    TakeLinkDown();
    KAVAssetInfo info;
    EXPECT_FALSE(KAVClient::GetAssetInfo(kAsset, info, kAssetDetailAll));
    EXPECT_TRUE(info.kuid.IsNull());
    EXPECT_EQ(info.flags1, 0x01);
    EXPECT_EQ(info.flags2, 0x00);
    EXPECT_EQ(info.secondInt, -1);
    EXPECT_EQ(info.localRating, 255);
    EXPECT_TRUE(info.parentKUID.IsNull());
    EXPECT_FALSE(info.valid);

    EXPECT_EQ(KAVClient::GetAssetName(kAsset), "");
    EXPECT_EQ(KAVClient::GetAssetRegionCategory(kAsset), "");
    EXPECT_EQ(KAVClient::GetAssetEraCategory(kAsset), "");
    EXPECT_EQ(KAVClient::GetAssetKeywords(kAsset), "");
    EXPECT_TRUE(KAVClient::IsAssetLocallyModified(kAsset));
    EXPECT_TRUE(KAVClient::IsAssetLocal(kAsset));
    EXPECT_TRUE(KAVClient::IsAssetFaulty(kAsset));
    EXPECT_TRUE(KAVClient::HasMissingDependencies(kAsset, false));
}

} // namespace
