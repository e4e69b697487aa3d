// Authors' user names against the in-process stand-in daemon: fixed names that never ask,
// the cache that answers a second lookup, names lower-cased, replies that are not cached,
// and an older entry that a new reply with the same name pushes out.
#include "kav_requests_test_support.h"

namespace {

class KAVUserNameTest : public KAVRequestsTest {
protected:
    void SetUp() override {
        KAVRequestsTest::SetUp();
        KAVClient::InitUserNameCache();
    }
    void TearDown() override {
        KAVClient::ClearUserNameCache();
        KAVRequestsTest::TearDown();
    }
    // The name and account id, as one lookup answers them.
    std::pair<std::string, int32_t> Look(int32_t authorId) {
        int32_t account = 0;
        Kiv::PString name("stale");
        EXPECT_TRUE(KAVClient::GetUserName(authorId, account, name));
        return {std::string(name.View()), account};
    }
};

TEST_F(KAVUserNameTest, FixedIdsAnswerWithoutARequest) {
    Answer(90, Concat({Le32(5), PStr("daemon")}));
    const std::pair<int32_t, const char*> cases[] = {
        {0, "-"}, {-2, "unknown"}, {-7, "Pelmo"}, {-1, "Pelmo"}, {1, "Pelmo"}, {9, "Pelmo"}};
    for (const auto& [author, name] : cases) {
        EXPECT_EQ(Look(author), std::make_pair(std::string(name), -1)) << author;
    }
    EXPECT_TRUE(Payloads(90).empty());
}

TEST_F(KAVUserNameTest, SecondLookupIsCachedAndNamesComeBackLowerCased) {
    Answer(90, Concat({Le32(321), PStr("Alice Smith")}));
    EXPECT_EQ(Look(1500), std::make_pair(std::string("alice smith"), 321));
    EXPECT_EQ(Look(1500), std::make_pair(std::string("alice smith"), 321));
    EXPECT_EQ(OnlyPayload(90), Le32(1500));
    Kiv::PString name;
    EXPECT_TRUE(KAVClient::GetAuthorName(1500, name));
    EXPECT_EQ(KAVClient::GetUserNameText(1500), Kiv::PString("alice smith"));
}

TEST_F(KAVUserNameTest, EmptyReplyIsNotCachedAndFailureAnswersEmpty) {
    Answer(90, Concat({Le32(0xFFFFFFFF), PStr("")}));
    EXPECT_EQ(Look(1500), std::make_pair(std::string(""), -1));
    EXPECT_EQ(Look(1500), std::make_pair(std::string(""), -1));
    EXPECT_EQ(Payloads(90).size(), 2u);
    Kiv::PString name;
    EXPECT_FALSE(KAVClient::GetAuthorName(1500, name));
    TakeLinkDown();
    EXPECT_EQ(Look(1600), std::make_pair(std::string(""), -1));
}

// Author 1501's reply carries the name 1500 had: 1500's entry leaves every map.
TEST_F(KAVUserNameTest, SameNameUnderAnotherAuthorEvictsTheOlderEntry) {
    Answer(90, Concat({Le32(321), PStr("Shared")}));
    Look(1500);
    Answer(90, Concat({Le32(322), PStr("SHARED")}));
    EXPECT_EQ(Look(1501), std::make_pair(std::string("shared"), 322));
    Look(1501);
    Look(1500);
    EXPECT_EQ(Payloads(90), (std::vector<Bytes>{Le32(1500), Le32(1501), Le32(1500)}));
}

TEST(KAVUserNameCacheTest, CachingRefusesAnEmptyReplyAndReplacesByAccount) {
    KAVClient::InitUserNameCache();
    EXPECT_FALSE(KAVClient::CacheUserName(-1, Kiv::PString(), 1500));
    EXPECT_TRUE(KAVClient::CacheUserName(40, "Bob", 1500));
    EXPECT_TRUE(KAVClient::CacheUserName(40, "Robert", 1501));
    int32_t account = 0;
    Kiv::PString name;
    // 1500 left the maps: with no daemon its lookup now fails to an empty name.
    KAVClient::GetUserName(1500, account, name);
    EXPECT_TRUE(name.IsEmpty());
    KAVClient::GetUserName(1501, account, name);
    EXPECT_EQ(name, Kiv::PString("robert"));
    EXPECT_EQ(account, 40);
    KAVClient::ClearUserNameCache();
}

} // namespace
