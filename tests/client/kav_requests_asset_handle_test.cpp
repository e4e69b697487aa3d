// Asset handles against the in-process stand-in daemon: opening and creating (30, 35),
// counting copies so that only the last release closes the daemon handle (31), the
// details of an open asset (32), reverting and committing (33, 34).
#include "kav_requests_test_support.h"

#include "link/kav/kav_asset_handle.h"

namespace {

const KUID kAsset(1234, 56, 2);
const Bytes kAssetBytes = KuidBytes(1234, 56, 2);
const Bytes kHandleBytes = Le64(0x0000000700000005ull);

TEST_F(KAVRequestsTest, OpenAnsweredWithNoHandleGivesNoRecordAndReleaseSendsNothing) {
    Answer(30, Concat({Le64(~0ull), PStr("loc"), Str("/a/b")}));
    Answer(31, {});
    {
        KAVAssetHandle handle = KAVClient::OpenAsset(kAsset, true, nullptr);
        EXPECT_FALSE(handle.IsValid());
        EXPECT_EQ(OnlyPayload(30), Concat({kAssetBytes, Byte(1)}));
    }
    KAVClient::GenerateKUID();  // a later request: 31 would have arrived before it
    EXPECT_TRUE(Payloads(31).empty());
}

TEST_F(KAVRequestsTest, LastReleaseOfCopiesClosesTheHandleOnce) {
    Answer(30, Concat({kHandleBytes, PStr("local"), Str("/assets/wagon")}));
    Answer(31, {});
    KAVAssetHandle first = KAVClient::OpenAsset(kAsset, false, nullptr);
    ASSERT_TRUE(first.IsValid());
    EXPECT_EQ(OnlyPayload(30), Concat({kAssetBytes, Byte(0)}));
    EXPECT_EQ(first.Record()->kuid, kAsset);
    EXPECT_FALSE(first.IsForEdit());
    {
        KAVAssetHandle second(first);
        KAVAssetHandle third;
        third = second;
        EXPECT_EQ(first.Record()->references, 3);
        KAVAssetHandle& same = third;
        third = same;
        second.Release();
        third.Release();
    }
    EXPECT_TRUE(Payloads(31).empty());
    Kiv::PString location;
    Kiv::File::Path path;
    EXPECT_TRUE(first.FetchDetails(location, path));
    EXPECT_EQ(location, Kiv::PString("local"));
    EXPECT_EQ(path, Kiv::File::Path("/assets/wagon"));
    first.Release();
    first.Release();
    EXPECT_EQ(OnlyPayload(31), kHandleBytes);
}

// Assignment takes the new record before it lets the old one go.
TEST_F(KAVRequestsTest, AssignmentReleasesTheOldRecord) {
    Answer(30, Concat({kHandleBytes, PStr("local"), Str("/a")}));
    Answer(31, {});
    KAVAssetHandle a = KAVClient::OpenAsset(kAsset, false, nullptr);
    Answer(30, Concat({Le64(9), PStr("local"), Str("/b")}));
    KAVAssetHandle b = KAVClient::OpenAsset(kAsset, true, nullptr);
    a = b;
    EXPECT_EQ(OnlyPayload(31), kHandleBytes);
    EXPECT_TRUE(a.IsForEdit());
    EXPECT_EQ(b.Record()->references, 2);
}

// Copy onto a handle that holds a record lets that record go, as assignment does; copying
// a handle onto itself keeps it open.
TEST_F(KAVRequestsTest, CopyOntoAHeldHandleReleasesTheOldRecord) {
    Answer(30, Concat({kHandleBytes, PStr("local"), Str("/a")}));
    Answer(31, {});
    KAVAssetHandle a = KAVClient::OpenAsset(kAsset, false, nullptr);
    Answer(30, Concat({Le64(9), PStr("local"), Str("/b")}));
    KAVAssetHandle b = KAVClient::OpenAsset(kAsset, true, nullptr);
    b.Copy(b);
    EXPECT_EQ(b.Record()->references, 1);
    a.Copy(b);
    EXPECT_EQ(OnlyPayload(31), kHandleBytes);
    EXPECT_TRUE(a.IsForEdit());
    EXPECT_EQ(b.Record()->references, 2);
}

TEST_F(KAVRequestsTest, CreateKeepsTheDaemonsKuidForEdit) {
    Answer(35, Concat({kHandleBytes, KuidBytes(1234, 99, 0), PStr("editing"), Str("/e/x")}));
    Answer(31, {});
    KAVAssetHandle handle = KAVClient::CreateAsset(kAsset, true, "kind scenery");
    EXPECT_EQ(OnlyPayload(35), Concat({kAssetBytes, Byte(1), Str("kind scenery")}));
    ASSERT_TRUE(handle.IsValid());
    EXPECT_EQ(handle.Record()->kuid, KUID(1234, 99, 0));
    EXPECT_TRUE(handle.IsForEdit());
}

// Committing forgets the details, so the next FetchDetails asks (32) once and keeps them.
TEST_F(KAVRequestsTest, CommitClearsDetailsAndForEditThenDetailsAreAskedOnce) {
    Answer(30, Concat({kHandleBytes, PStr("editing"), Str("/e/x")}));
    Answer(31, {});
    Answer(34, Concat({Byte(1), Byte(1)}));
    Answer(32, Concat({PStr("local"), Str("/l/x")}));
    KAVAssetHandle handle = KAVClient::OpenAsset(kAsset, true, nullptr);
    bool second = false;
    EXPECT_TRUE(KAVClient::CommitAsset(handle, 3, nullptr, second));
    EXPECT_TRUE(second);
    EXPECT_FALSE(handle.IsForEdit());
    EXPECT_EQ(OnlyPayload(34), Concat({kHandleBytes, Le32(3)}));
    Kiv::PString location;
    Kiv::File::Path path;
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(handle.FetchDetails(location, path));
        EXPECT_EQ(path, Kiv::File::Path("/l/x"));
    }
    EXPECT_EQ(OnlyPayload(32), kHandleBytes);
}

// Reverting takes a copy: the caller's handle stays open, the details are forgotten.
TEST_F(KAVRequestsTest, RevertDropsOnlyItsCopy) {
    Answer(30, Concat({kHandleBytes, PStr("editing"), Str("/e/x")}));
    Answer(31, {});
    Answer(33, Byte(1));
    Answer(32, Concat({PStr(""), Str("")}));
    KAVAssetHandle handle = KAVClient::OpenAsset(kAsset, true, nullptr);
    EXPECT_TRUE(KAVClient::RevertAsset(handle, nullptr));
    EXPECT_EQ(OnlyPayload(33), kHandleBytes);
    EXPECT_EQ(handle.Record()->references, 1);
    EXPECT_TRUE(Payloads(31).empty());
    Kiv::PString location;
    Kiv::File::Path path;
    EXPECT_FALSE(handle.FetchDetails(location, path));
    EXPECT_EQ(Payloads(32).size(), 1u);
}

TEST_F(KAVRequestsTest, HandleRequestsWithoutRecordSendNothing) {
    KAVAssetHandle none;
    bool second = true;
    Kiv::PString location("x");
    Kiv::File::Path path("y");
    EXPECT_FALSE(KAVClient::RevertAsset(none, nullptr));
    EXPECT_FALSE(KAVClient::CommitAsset(none, 0, nullptr, second));
    EXPECT_FALSE(none.FetchDetails(location, path));
    EXPECT_TRUE(location.IsEmpty());
    EXPECT_TRUE(path.IsEmpty());
    EXPECT_TRUE(Payloads(33).empty());
    EXPECT_TRUE(Payloads(34).empty());
}

TEST_F(KAVRequestsTest, OpenAndCreateGiveNoRecordWhenTheLinkIsDown) {
    TakeLinkDown();
    EXPECT_FALSE(KAVClient::OpenAsset(kAsset, true, nullptr).IsValid());
    EXPECT_FALSE(KAVClient::CreateAsset(kAsset, true, "x").IsValid());
}

} // namespace
