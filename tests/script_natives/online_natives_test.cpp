// The OnlineAccess and OnlineGroup natives through script calls, on a real endpoint that a
// fake server and the in-process stand-in daemon answer: the send limit and its drain,
// collecting while not logged in, the offline boxes, local-data keys, one object per owner
// whatever the version, groups being created, member changes sent once, and groups closed
// with their owner's client.
#include <gtest/gtest.h>

#include <filesystem>

#include "script_runtime/gs_router.h"

#include "client/asset_record_test_support.h"
#include "client/online_access_fake_server.h"
#include "native_script_support.h"
#include "link/kav/kav_asset_info.h"
#include "script_natives/gso_online_access.h"
#include "script_natives/gso_online_group.h"
#include "script_natives/native_arguments.h"

namespace {

constexpr const char* kScript = R"(include "onlineaccess.gs"
include "constructors.gs"
class Test {
  Soup New() { return ConstructorsBase.NewSoup(); }
  public int Post(OnlineAccess a) { return a.PostMessage("bob", New()); }
  public string Collect(OnlineAccess a) {
    string n = "x";
    if (a.CollectMessage(n, New()) == 1) return "1" + n;
    return "other" + n;
  }
  public int CollectOffline(OnlineAccess a) {
    Soup s = New(); s.SetNamedTag("keep", 1);
    return a.CollectOfflineMessage(s) * 10 + s.CountTags();
  }
  public int PostOffline(OnlineAccess a) { Soup s = New(); s.SetNamedTag("n", 4); return a.PostOfflineMessage(s); }
  public int LocalData(OnlineAccess a) { return a.GetLocalData("Score", New()) * 10 + a.GetLocalData("SCORE", New()); }
  public OnlineGroup Create(OnlineAccess a) { return a.CreateGroup(3); }
  public OnlineGroup Open(OnlineAccess a) { return a.OpenGroup("g1", 5); }
  public string Cookie(OnlineGroup g) { return g.GetOnlineGroupCookie(); }
  public int Status(OnlineGroup g) { return g.GetStatus(); }
  public void Users(OnlineGroup g) { g.AddUser("ann"); g.AddUser("ann"); g.RemoveUser("ANN"); g.RemoveUser("carl"); }
  public int GroupPost(OnlineGroup g) { return g.PostMessage(New()); }
  public void Leave(OnlineAccess a) { a.Disconnect(); }
};
)";

// The endpoint side of the tests: the endpoint fixture's set-up run by hand.
class EndpointRig : public onlinetest::OnlineAccessEndpointTest {
  public:
    void TestBody() override {}
    void Start() { SetUp(); }
    void Stop() { TearDown(); }
    using OnlineAccessEndpointTest::Answer;
    using OnlineAccessEndpointTest::endpoint_;
    using OnlineAccessEndpointTest::LogIn;
    using OnlineAccessEndpointTest::Payloads;
    using OnlineAccessEndpointTest::server_udp_;
    using OnlineAccessEndpointTest::TickAt;
};

class OnlineNativesTest : public nativetest::ScriptCallTest {
  protected:
    void SetUp() override {
        before_ = std::filesystem::current_path();
        std::filesystem::current_path(folder_.Path());
        rig_.Start();
        GSOOnlineAccess::UseEndpoint(rig_.endpoint_.get());
        LoadScript(kScript);
        access_ = GSOOnlineAccess::Construct(&context_, KUID(5, 6, 0));
        ASSERT_NE(access_, nullptr);
    }
    void TearDown() override {
        if (access_) GSReleaseReference(access_->GetInstance());
        // Game objects on a router go at its next pump.
        context_.GetRouter()->Pump();
        ScriptCallTest::TearDown();
        GSOOnlineAccess::UseEndpoint(nullptr);
        rig_.Stop();
        std::filesystem::current_path(before_);
    }
    GSSlot Me() const { return GSPointerSlot(access_->GetInstance()); }
    // A group the script made, held by the test.
    GSOOnlineGroup* Group(const char* maker) {
        GSSlot result{};
        EXPECT_TRUE(Call(std::string("$OnlineGroup@Test::") + maker + "(OnlineAccess)", &result, {Me()}));
        groups_.push_back(static_cast<GSSlot*>(result.p));
        return NativeObjectAs<GSOOnlineGroup>(groups_.back());
    }
    void DropGroups() {
        for (GSSlot* group : groups_) GSReleaseReference(group);
        groups_.clear();
    }
    // The kinds of the messages the server received since the last look.
    std::vector<uint8_t> SentKinds() {
        rig_.TickAt(5.0f);
        std::vector<uint8_t> kinds;
        for (const Bytes& datagram : rig_.server_udp_.Drain())
            if (datagram.size() > 2) kinds.push_back(datagram[2]);
        return kinds;
    }

    std::filesystem::path before_;
    EndpointRig rig_;
    GSOOnlineAccess* access_ = nullptr;
    std::vector<GSSlot*> groups_;
};

TEST_F(OnlineNativesTest, SixtyOnePostsReachTheEndpointAndUpdatesDrainTheCounter) {
    for (int i = 0; i < 61; ++i) ASSERT_EQ(CallInt("$int@Test::Post(OnlineAccess)", {Me()}), 1) << i;
    EXPECT_EQ(CallInt("$int@Test::Post(OnlineAccess)", {Me()}), 4);
    access_->Update(0.5f);
    EXPECT_FLOAT_EQ(access_->SendCounter(), 60.5f);
    EXPECT_EQ(CallInt("$int@Test::Post(OnlineAccess)", {Me()}), 4);
    access_->Update(0.75f);
    EXPECT_EQ(CallInt("$int@Test::Post(OnlineAccess)", {Me()}), 1);
    access_->Update(1000.0f);
    EXPECT_EQ(access_->SendCounter(), 0.0f);
}

TEST_F(OnlineNativesTest, CollectingWhileConnectingAnswers1AndAnEmptySender) {
    rig_.Answer(240, onlinetest::kProfileReply);
    rig_.Answer(242, Str("s3cret"));
    ASSERT_TRUE(rig_.endpoint_->Connect(false));
    ASSERT_EQ(rig_.endpoint_->GetStatus(), OnlineAccessClientEndpoint::kConnecting);
    EXPECT_EQ(CallString("$string@Test::Collect(OnlineAccess)", {Me()}), "1");
}

TEST_F(OnlineNativesTest, OfflineBoxes) {
    EXPECT_EQ(CallInt("$int@Test::CollectOffline(OnlineAccess)", {Me()}), 61) << "nothing, the soup kept";
    GSOOnlineAccess::OfflineOutbox().Release();
    EXPECT_EQ(CallInt("$int@Test::PostOffline(OnlineAccess)", {Me()}), 0);
    EXPECT_EQ(CallInt("$int@Test::PostOffline(OnlineAccess)", {Me()}), 0);
    const ACSChunkRef& outbox = GSOOnlineAccess::OfflineOutbox();
    ASSERT_EQ(outbox.CountTags(), 2);
    EXPECT_EQ(outbox.GetIndexedTagName(0).View(), "0");
    EXPECT_EQ(outbox.GetIndexedTagName(1).View(), "1");
    EXPECT_EQ(outbox.GetNamedSoup(Kiv::PString("1")).GetNamedTagAsInt(Kiv::PString("n"), 0), 4);

    ACSChunkRef message;
    message.EnsureContainer();
    message.SetNamedTagInt(Kiv::PString("m"), 1);
    GSOOnlineAccess::OfflineInbox().EnsureContainer();
    GSOOnlineAccess::OfflineInbox().SetNamedSoup(Kiv::PString("0"), message);
    EXPECT_EQ(CallInt("$int@Test::CollectOffline(OnlineAccess)", {Me()}), 1) << "the message's one tag";
    EXPECT_EQ(GSOOnlineAccess::OfflineInbox().CountTags(), 0);
    GSOOnlineAccess::OfflineOutbox().Release();
}

TEST_F(OnlineNativesTest, LocalDataKeysIgnoreCase) {
    rig_.Answer(121, {});
    EXPECT_EQ(CallInt("$int@Test::LocalData(OnlineAccess)", {Me()}), 0);
    const std::vector<Bytes> payloads = rig_.Payloads(121);
    ASSERT_EQ(payloads.size(), 2u);
    EXPECT_EQ(payloads[0], payloads[1]);
    const std::string sent(payloads[0].begin(), payloads[0].end());
    EXPECT_NE(sent.find("score"), std::string::npos);
}

TEST_F(OnlineNativesTest, OneObjectPerOwnerWhateverItsVersion) {
    GSOOnlineAccess* same = GSOOnlineAccess::GetScriptObjectForKey(KUID(5, 6, 3), &context_);
    EXPECT_EQ(same, access_);
    GSReleaseReference(same->GetInstance());
    GSOOnlineAccess* other = GSOOnlineAccess::GetScriptObjectForKey(KUID(5, 7, 0), &context_);
    EXPECT_NE(other, access_);
    GSReleaseReference(other->GetInstance());
}

TEST_F(OnlineNativesTest, AGroupBeingCreatedIsConnectingWithoutACookie) {
    GSOOnlineGroup* group = Group("Create");
    ASSERT_NE(group, nullptr);
    const GSSlot me = GSPointerSlot(groups_.back());
    EXPECT_EQ(CallInt("$int@Test::Status(OnlineGroup)", {me}), 1);
    EXPECT_EQ(CallString("$string@Test::Cookie(OnlineGroup)", {me}), "");
    EXPECT_TRUE(group->AcceptCreated());
    DropGroups();
}

TEST_F(OnlineNativesTest, MemberChangesAreSentOnceAndTheOwnersGoingClosesTheGroup) {
    rig_.LogIn(40000);
    rig_.server_udp_.Drain();
    GSOOnlineGroup* group = Group("Open");
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(SentKinds(), (std::vector<uint8_t>{28}));
    const GSSlot me = GSPointerSlot(groups_.back());
    ASSERT_TRUE(Call("$void@Test::Users(OnlineGroup)", nullptr, {me}));
    EXPECT_EQ(SentKinds(), (std::vector<uint8_t>{23}));
    EXPECT_EQ(group->Members().Count(), 1);

    ASSERT_TRUE(Call("$void@Test::Leave(OnlineAccess)", nullptr, {Me()}));
    EXPECT_EQ(CallInt("$int@Test::Status(OnlineGroup)", {me}), 3);
    EXPECT_EQ(CallInt("$int@Test::GroupPost(OnlineGroup)", {me}), 1);
    EXPECT_EQ(group->Owner(), nullptr);
    DropGroups();
}

// Plain messages count as versioned ones from an unmodified sender: an owner modified
// locally keeps only messages from modified senders.
TEST_F(OnlineNativesTest, MessagesAreQueuedByTheSenderFlagRule) {
    const KUID modifiedOwner(8, 9, 0);
    rig_.Answer(21, AssetRecord({modifiedOwner, "a", "b", KAVAssetFlags::kLocallyModified, 0, 0, true}));
    GSOOnlineAccess* modified = GSOOnlineAccess::Construct(&context_, modifiedOwner);
    ASSERT_NE(modified, nullptr);
    EXPECT_TRUE(modified->OwnerModified());
    EXPECT_FALSE(access_->OwnerModified());

    OnlineAccessMessage plain;
    plain.name = Kiv::String("ann");
    OnlineAccessVersionedMessage fromUnmodified;
    OnlineAccessVersionedMessage fromModified;
    fromModified.flag = 1;
    for (const OnlineAccessMessage* message : {static_cast<const OnlineAccessMessage*>(&plain),
                                               static_cast<const OnlineAccessMessage*>(&fromUnmodified),
                                               static_cast<const OnlineAccessMessage*>(&fromModified)}) {
        modified->Receive(*message);
        access_->Receive(*message);
    }
    EXPECT_EQ(access_->QueuedCount(), 3);
    EXPECT_EQ(modified->QueuedCount(), 1);
    GSReleaseReference(modified->GetInstance());
}

// The group's reference keeps its owner; when the group goes it forgets the owner before
// letting it go, so the owner's leaving finds no group to close again.
TEST_F(OnlineNativesTest, AnOwnerHeldOnlyByItsGroupGoesWithIt) {
    rig_.endpoint_->AddClient(access_);
    ASSERT_NE(Group("Create"), nullptr);
    GSReleaseReference(access_->GetInstance());
    access_ = nullptr;
    DropGroups();
    context_.GetRouter()->Pump();
    context_.GetRouter()->Pump();
    EXPECT_FALSE(rig_.endpoint_->HasClients()) << "the owner left the endpoint as it went";
}

} // namespace
