// Request 2, the asset query: the filter tree goes out as its writer makes it, and the
// answer's count is not trusted.
#include "kav_requests_test_support.h"

#include "link/kav/kav_filter_element.h"

namespace {

TEST_F(KAVRequestsTest, QueryAssetsSendsTheFilterAndStopsAtTheFirstShortRead) {
    Answer(2, Concat({Le32(0xFFFFFFFF), KuidBytes(77, 8, 0), KuidBytes(1234, 56, 2), Bytes{1, 2}}));
    KUIDList found;
    KAVClient::QueryAssets(nullptr, found);
    EXPECT_EQ(OnlyPayload(2), Le32(0));
    ASSERT_EQ(found.Count(), 2);
    EXPECT_EQ(*found.begin(), KUID(77, 8, 0));
}

TEST_F(KAVRequestsTest, QueryAssetsAppendsNothingWithTheLinkDown) {
    TakeLinkDown();
    KUIDList found;
    KAVClient::QueryAssets(nullptr, found);
    EXPECT_EQ(found.Count(), 0);
}

} // namespace
