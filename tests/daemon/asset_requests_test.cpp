// The daemon's asset answers in library mode, seen through a raw-socket client that writes
// request payloads by hand: an asset seeded by a script opens for edit, commits, reverts
// and deletes with its folders moving; request 21 of unknown and seeded assets; request 2
// with category filters and category patterns; hostile filters refused without harm.
#include <gtest/gtest.h>

#include "asset_test_fixture.h"

namespace {

using namespace asset_test;

// <kuid:12:1>, <kuid:12:2>, <kuid:12:3>: content id, then version << 25 | user id.
const std::string kCoalWagon = Le32(1) + Le32(12);
const std::string kLogCar = Le32(2) + Le32(12);
const std::string kBridge = Le32(3) + Le32(12);
const std::string kUnknown = Le32(99) + Le32(12);

// One tag per line, as config.txt has them.
const char kSeed[] = R"(localuser
{
  user 12
  next 5
}
assets
{
  0
  {
    folder "coal_wagon"
    config
    {
      kuid <kuid:12:1>
      username "Coal wagon"
      category-class "WC"
    }
    files
    {
      0
      {
        name "notes.txt"
        text "old"
      }
    }
  }
  1
  {
    config
    {
      kuid <kuid:12:2>
      username "Log car"
      category-class "LC;WC"
    }
  }
  2
  {
    config
    {
      kuid <kuid:12:3>
      username "Bridge"
      category-class "BR"
    }
  }
}
)";

class AssetRequestsTest : public AssetDaemonTest {
  protected:
    void SetUp() override { StartWith(kSeed); }
};

TEST_F(AssetRequestsTest, EditCommitRevertAndDeleteMoveTheFolders) {
    ASSERT_TRUE(Exists("local/coal_wagon/notes.txt"));

    // Open for edit: handle 1, location "editing", the copy's folder.
    EXPECT_EQ(Ask(30, kCoalWagon + Bytes({1})),
              Le32(1) + Le32(0) + PString("editing") + StringField(UserData("editing/coal_wagon")));
    EXPECT_EQ(folder_.ReadFile("inst/UserData/editing/coal_wagon/notes.txt"), "old");
    // Details of the handle give the same folder.
    EXPECT_EQ(Ask(32, Le32(1) + Le32(0)),
              PString("editing") + StringField(UserData("editing/coal_wagon")));

    folder_.WriteFile("inst/UserData/editing/coal_wagon/notes.txt", "new");
    folder_.WriteFile("inst/UserData/editing/coal_wagon/config.txt",
                      "kuid <kuid:12:1>\nusername \"Coal hopper\"\ncategory-class \"WC\"\n");
    // Commit: ok, second result false; the copy replaces the installed folder.
    EXPECT_EQ(Ask(34, Le32(1) + Le32(0) + Le32(0)), Bytes({1, 0}));
    EXPECT_FALSE(Exists("editing/coal_wagon"));
    EXPECT_EQ(folder_.ReadFile("inst/UserData/local/coal_wagon/notes.txt"), "new");
    // The name of the committed config: request 21, then the name String after the KUID.
    EXPECT_EQ(Ask(21, kCoalWagon + Le32(1)).substr(8, 15), StringField("Coal hopper"));
    Ask(31, Le32(1) + Le32(0));

    // Open again and revert: the copy is deleted, the installed folder kept.
    EXPECT_EQ(Ask(30, kCoalWagon + Bytes({1})).substr(0, 8), Le32(2) + Le32(0));
    folder_.WriteFile("inst/UserData/editing/coal_wagon/notes.txt", "discarded");
    EXPECT_EQ(Ask(33, Le32(2) + Le32(0)), Bytes({1}));
    EXPECT_FALSE(Exists("editing/coal_wagon"));
    EXPECT_EQ(folder_.ReadFile("inst/UserData/local/coal_wagon/notes.txt"), "new");
    // Nothing left to revert, and the note says why.
    EXPECT_EQ(Ask(33, Le32(2) + Le32(0)), Bytes({0}));
    EXPECT_TRUE(NoteHolds("The asset is not open for editing."));

    // Delete moves the folder into the trash; the asset no longer opens.
    EXPECT_EQ(Ask(36, kCoalWagon + Bytes({1})), Bytes({1}));
    EXPECT_FALSE(Exists("local/coal_wagon"));
    EXPECT_EQ(folder_.ReadFile("inst/UserData/trash/coal_wagon/notes.txt"), "new");
    const std::string none = Le32(0xFFFFFFFF) + Le32(0xFFFFFFFF) + Le32(0) + Le32(0);
    EXPECT_EQ(Ask(30, kCoalWagon + Bytes({1})), none);
    EXPECT_EQ(Ask(36, kCoalWagon + Bytes({1})), Bytes({0}));
    EXPECT_TRUE(NoteHolds("Unknown AssetID."));
    // The database no longer knows it: request 21 answers with the valid byte clear.
    EXPECT_EQ(Ask(21, kCoalWagon + Le32(0xFFFFFFFF)).back(), '\0');
    EXPECT_EQ(Ask(30, kUnknown + Bytes({0})), none);
}

TEST_F(AssetRequestsTest, CreateTakesTheLocalUsersNextContentId) {
    // generatekuid: <kuid:12:5>; create with the null KUID then gets <kuid:12:6>.
    EXPECT_EQ(Ask(58, ""), Le32(5) + Le32(12));
    // A folder of the new asset's name that no record owns goes to the trash, not away.
    folder_.MakeFolder("inst/UserData/editing/kuid_12_6_0");
    folder_.WriteFile("inst/UserData/editing/kuid_12_6_0/old.txt", "left over");
    const std::string null = Le32(0xFFFFFFFF) + Le32(0xFFFFFFFF);
    const std::string reply = Ask(35, null + Bytes({0}) + StringField("Tender"));
    EXPECT_EQ(reply, Le32(1) + Le32(0) + Le32(6) + Le32(12) + PString("editing") +
                         StringField(UserData("editing/kuid_12_6_0")));
    EXPECT_TRUE(Exists("editing/kuid_12_6_0/config.txt"));
    EXPECT_FALSE(Exists("editing/kuid_12_6_0/old.txt"));
    EXPECT_EQ(folder_.ReadFile("inst/UserData/trash/kuid_12_6_0/old.txt"), "left over");
    // Creating a KUID that exists fails, and says why.
    EXPECT_EQ(Ask(35, kLogCar + Bytes({0}) + StringField("x")),
              Le32(0xFFFFFFFF) + Le32(0xFFFFFFFF) + null + Le32(0) + Le32(0));
    EXPECT_TRUE(NoteHolds("The asset exists already."));
    // Reverting the only copy of a created asset forgets it.
    EXPECT_EQ(Ask(33, Le32(1) + Le32(0)), Bytes({1}));
    EXPECT_FALSE(Exists("editing/kuid_12_6_0"));
    EXPECT_EQ(Ask(21, Le32(6) + Le32(12) + Le32(0xFFFFFFFF)).back(), '\0');
}

TEST_F(AssetRequestsTest, AssetInfoOfUnknownAndSeededAssets) {
    const std::string noStrings = Le32(0) + Le32(0) + Le32(0);
    // Defaults: null KUID, empty texts, first flags 0x01, author 0, second int32 -1,
    // rating 255, build 0, times 0, null parent, not valid.
    const std::string unknown =
        Le32(0xFFFFFFFF) + Le32(0xFFFFFFFF) + noStrings + Bytes({1, 0, 0, 0, 0, 0, 0, 0}) +
        Bytes({0, 0, 0, 0, 0, 0, 0, 0}) + Bytes({0, 0}) + Le32(0) + Le32(0) + Le32(0) +
        Le32(0xFFFFFFFF) + Le32(0) + Le32(0) + Bytes({0, 0, 0}) + Le32(255) + Le32(0) + Le32(0) +
        Le32(0) + Le32(0) + Le32(0) + Le32(0xFFFFFFFF) + Le32(0xFFFFFFFF) + Bytes({0});
    EXPECT_EQ(Ask(21, kUnknown + Le32(0xFFFFFFFF)), unknown);
    // A short payload is an unknown asset too.
    EXPECT_EQ(Ask(21, Bytes({1, 2, 3})), unknown);

    // Seeded and installed: first flags 0x09, author = the KUID's user id.
    const std::string known = kCoalWagon + StringField("Coal wagon") + Le32(0) + Le32(0) +
                              Bytes({1, 0, 0, 1, 0, 0, 0, 0}) + Bytes({0, 0, 0, 0, 0, 0, 0, 0}) +
                              Bytes({0, 0}) + Le32(12) + Le32(0) + Le32(0) + Le32(0xFFFFFFFF) +
                              Le32(0) + StringField("WC") + Bytes({0, 0, 0}) + Le32(255) + Le32(0) +
                              Le32(0) + Le32(0) + Le32(0) + Le32(0) + Le32(0xFFFFFFFF) +
                              Le32(0xFFFFFFFF) + Bytes({1});
    EXPECT_EQ(Ask(21, kCoalWagon + Le32(8)), known);
}

// Filter bytes: a tag is written little-endian, so 'grup' goes out as p u r g.
std::string Group(bool andMode, bool negate, const std::vector<std::string>& children) {
    std::string bytes = "purg";
    bytes +=
        Bytes({andMode ? 1 : 0, negate ? 1 : 0}) + Le32(static_cast<uint32_t>(children.size()));
    for (const std::string& child : children)
        bytes += child;
    return bytes;
}
std::string StringNode(uint32_t type, const std::string& value) {
    return "nrts" + Le32(type) + PString(value) + Bytes({0});
}
std::string BoolNode(uint32_t type) {
    return "loob" + Le32(type);
}
std::string List(const std::vector<std::string>& kuids) {
    std::string bytes = Le32(static_cast<uint32_t>(kuids.size()));
    for (const std::string& kuid : kuids)
        bytes += kuid;
    return bytes;
}

TEST_F(AssetRequestsTest, QueriesReturnTheMatchingAssets) {
    const struct {
        std::string filter;
        std::string reply;
    } cases[] = {
        {Group(true, false, {StringNode(1, "WC")}), List({kCoalWagon, kLogCar})},
        {Group(true, false, {StringNode(1, "br")}), List({kBridge})},
        {Group(true, false, {StringNode(1, "XX")}), List({})},
        // The category text is a pattern: "|" alternatives, a ";" list whose terms must all
        // hold, "-" inverting a term.
        {Group(true, false, {StringNode(1, "BR|LC")}), List({kLogCar, kBridge})},
        {Group(true, false, {StringNode(1, "LC;wc")}), List({kLogCar})},
        {Group(true, false, {StringNode(1, "WC;-LC")}), List({kCoalWagon})},
        {Group(true, false, {StringNode(1, "WC;-WC")}), List({})},
        {Group(true, false, {StringNode(1, "-WC")}), List({kBridge})},
        {Group(true, false, {StringNode(1, "WC,BR")}), List({})},
        // Not WC: a negated subgroup.
        {Group(true, false, {Group(true, true, {StringNode(1, "WC")})}), List({kBridge})},
        // WC or BR.
        {Group(false, false, {StringNode(1, "LC"), StringNode(1, "BR")}), List({kLogCar, kBridge})},
        // Installed locally and named like "car".
        {Group(true, false, {BoolNode(0), StringNode(0, "car")}), List({kLogCar})},
        // Open for edit: none.
        {Group(true, false, {BoolNode(8)}), List({})},
        // A number node is not evaluated: it matches everything.
        {Group(true, false, {"etni" + Le32(1) + Le32(0) + Le32(5) + Bytes({1, 1})}),
         List({kCoalWagon, kLogCar, kBridge})},
        // Conditions the daemon does not judge (listing privilege, obsolete) decide nothing,
        // not even negated: WC and not obsolete.
        {Group(true, false, {StringNode(1, "WC"), BoolNode(16), Group(true, true, {BoolNode(5)})}),
         List({kCoalWagon, kLogCar})},
        {Group(true, true, {BoolNode(5)}), List({kCoalWagon, kLogCar, kBridge})},
        // In a group of mode 0 an unjudged condition does not make every asset match.
        {Group(false, false, {StringNode(1, "BR"), BoolNode(5)}), List({kBridge})},
        // An empty group is true; negated, false.
        {Group(true, true, {}), List({})},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Ask(2, c.filter), c.reply);
    EXPECT_TRUE(WaitForLine(folder_.Path("record.txt"), "filter 1 unevaluated inte type=1"));
}

TEST_F(AssetRequestsTest, HostileFiltersAreRefused) {
    std::string deep = StringNode(1, "WC");
    for (int i = 0; i < 600; ++i)
        deep = Group(true, false, {deep});
    const struct {
        std::string filter;
        std::string reason;
    } cases[] = {
        {deep, "nested too deep"},
        {std::string("purg") + Bytes({1, 0}) + Le32(0x7FFFFFFF), "bad child count"},
        {std::string("purg") + Bytes({1, 0}) + Le32(0xFFFFFFFF), "bad child count"},
        {"nrts" + Le32(1) + Le32(0x7FFFFFFF) + "WC", "short node"},
        {"tsas" + Le32(0) + Le32(1000), "unknown tag"},
        {"tssa" + Le32(0) + Le32(1000), "bad asset-id count"},
        {std::string("purg") + Bytes({1}), "short group"},
        {"", "short tag"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Ask(2, c.filter), List({}));
        EXPECT_TRUE(WaitForLine(folder_.Path("record.txt"), "filter 1 refused reason=" + c.reason));
    }
    // The daemon still answers.
    EXPECT_EQ(Ask(2, Group(true, false, {StringNode(1, "BR")})), List({kBridge}));
}

const char kValidationScript[] = R"(requests
{
  0
  {
    request 38
    times 1
    daemon-reply 1
    notes
    {
      0
      {
        kind 3
        data "6162"
      }
    }
  }
}
)";

class AssetScriptTest : public AssetDaemonTest {
  protected:
    void SetUp() override { StartWith(kValidationScript); }
};

TEST_F(AssetScriptTest, ValidationSendsTheScriptedNotesThenTheDaemonsAnswer) {
    const std::string folder = StringField(folder_.Path("inst"));
    ASSERT_TRUE(client_->Send(RequestBytes(38, 9, PString("local") + folder)));
    // 'note' kind 3 with the transaction id and "ab", then 'repl' 9 with true.
    EXPECT_EQ(client_->Read(18),
              Bytes({0x65, 0x74, 0x6F, 0x6E}) + Le32(3) + Le32(6) + Le32(9) + "ab");
    EXPECT_EQ(client_->Read(13), ReplyFrame(9, Bytes({1})));
    // Once the entry is used up, the daemon answers alone.
    transaction_ = 9;
    EXPECT_EQ(Ask(38, PString("local") + folder), Bytes({1}));
    // A folder that is not there is refused with the reason.
    EXPECT_EQ(Ask(38, PString("local") + StringField(folder_.Path("gone"))), Bytes({0}));
    EXPECT_TRUE(NoteHolds("cannot be read"));
}

TEST(AssetScript, DaemonReplyAndReplyExcludeEachOther) {
    TempFolder folder;
    folder.WriteFile("s.txt",
                     "requests\n{\n0\n{\nrequest 38\nreply \"01\"\ndaemon-reply 1\n}\n}\n");
    DaemonScript script;
    std::string error;
    EXPECT_FALSE(LoadDaemonScript(folder.Path("s.txt"), script, error));
    EXPECT_EQ(error, "requests/0: \"reply\" and \"daemon-reply\" exclude each other");
}

} // namespace
