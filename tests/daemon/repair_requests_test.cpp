// The stand-in's repair: the script's "repair" section read into a plan (and its mistakes
// named with their place), and the answers to requests 3 and 4 with the repair's entries
// sent for request 3's transaction, each before the reply of its poll or, when late, of the
// client's next other request.
#include <gtest/gtest.h>

#include "daemon/daemon_script.h"
#include "daemon/repair_requests.h"
#include "engine/temp_folder.h"
#include "foundation/results/results_log.h"
#include "foundation/streams/buffer_stream.h"

namespace {

const char kScript[] = R"(repair
{
  polls 2
  text "Checking"
  entries
  {
    0
    {
      kind 3
      text "Missing mesh"
      kuid <kuid:12:1>
      poll 1
    }
    1
    {
      kind 2
      text "Afterwards"
      late 1
    }
  }
}
)";

bool Load(const std::string& text, DaemonScript& script, std::string& error) {
    TempFolder folder;
    folder.WriteFile("script.txt", text);
    return LoadDaemonScript(folder.Path("script.txt"), script, error);
}

DaemonRequest Request(int client, int32_t id, uint32_t transactionId) {
    DaemonRequest request;
    request.client = client;
    request.id = id;
    request.transactionId = transactionId;
    return request;
}

// The bytes of a poll reply, by hand: bool, float, String (int32 size, bytes).
WireBytes PollReply(uint8_t going, uint32_t floatBits, const std::string& text) {
    WireBytes bytes = {going};
    WireWriter writer(bytes);
    writer.UInt32(floatBits).UInt32(static_cast<uint32_t>(text.size()));
    writer.Bytes(text.data(), text.size());
    return bytes;
}

struct NoteSeen {
    uint32_t transactionId = 0;
    std::vector<std::string> lines;  // "<kind> <kuid tag> <text>"
};

NoteSeen ReadNote(const DaemonNote& note) {
    EXPECT_EQ(note.kind, kNoteResultsLog);
    BufferStream stream;
    stream.Stream().WriteBytes(note.payload.data(), note.payload.size());
    stream.Stream().Rewind();
    NoteSeen seen;
    stream.Stream().ReadUInt32(seen.transactionId, 0);
    ResultsLog log;
    log.Read(stream.Stream());
    for (const ResultsLogEntry& entry : log.Entries()) {
        const KUID kuid = KUID::Parse(entry.subject.GetValueText().c_str(), false);
        seen.lines.push_back(std::to_string(entry.kind) + " " + std::string(kuid.ToTag().View()) +
                             " " + entry.text.Std());
    }
    return seen;
}

TEST(RepairPlan, TheScriptsSectionIsReadIntoThePlan) {
    DaemonScript script;
    std::string error;
    ASSERT_TRUE(Load(kScript, script, error)) << error;
    EXPECT_EQ(script.repair.polls, 2);
    EXPECT_EQ(script.repair.text, "Checking");
    ASSERT_EQ(script.repair.entries.size(), 2u);
    EXPECT_EQ(script.repair.entries[0].kind, 3);
    EXPECT_EQ(script.repair.entries[0].kuid, KUID(12, 1, 0));
    EXPECT_EQ(script.repair.entries[0].poll, 1);
    EXPECT_FALSE(script.repair.entries[0].late);
    EXPECT_TRUE(script.repair.entries[1].late);
    EXPECT_TRUE(script.repair.entries[1].kuid.IsNull());

    ASSERT_TRUE(Load("builds \"3.5\"\n", script, error)) << error;
    EXPECT_EQ(script.repair.polls, 0);
    EXPECT_TRUE(script.repair.entries.empty());
}

TEST(RepairPlan, MistakesAreNamedWithTheirPlace) {
    const std::pair<const char*, const char*> cases[] = {
        {"repair\n{\n  steps 2\n}\n", "repair: unknown tag \"steps\""},
        {"repair\n{\n  polls -1\n}\n", "repair: \"polls\" is out of range"},
        {"repair\n{\n  polls \"two\"\n}\n", "repair: \"polls\" is not an integer"},
        {"repair\n{\n  entries\n  {\n    0\n    {\n      text \"x\"\n    }\n  }\n}\n",
         "repair/entries/0: \"kind\" is missing"},
        {"repair\n{\n  entries\n  {\n    0\n    {\n      kind 5\n    }\n  }\n}\n",
         "repair/entries/0: \"kind\" is out of range"},
        {"repair\n{\n  polls 1\n  entries\n  {\n    a\n    {\n      kind 3\n      poll 2\n"
         "    }\n  }\n}\n",
         "repair/entries/a: \"poll\" is out of range"},
        {"repair\n{\n  entries\n  {\n    0 7\n  }\n}\n", "repair/entries/0: an entry is a container"},
    };
    for (const auto& [text, message] : cases) {
        DaemonScript script;
        std::string error;
        EXPECT_FALSE(Load(text, script, error)) << text;
        EXPECT_EQ(error, message);
    }
}

TEST(RepairRequests, PollsGoAsPlannedWithTheEntriesForTheStartsTransaction) {
    DaemonScript script;
    std::string error;
    ASSERT_TRUE(Load(kScript, script, error)) << error;
    RepairRequests repairs;
    repairs.SetPlan(script.repair);

    DaemonResponse start;
    EXPECT_TRUE(repairs.Answer(Request(1, 3, 40), start));
    EXPECT_TRUE(start.notes.empty());
    EXPECT_TRUE(start.reply.empty());

    const struct {
        WireBytes reply;
        std::vector<std::string> note;
    } polls[] = {
        {PollReply(1, 0x3EAAAAAB, "Checking"), {}},  // 1/3
        {PollReply(1, 0x3F2AAAAB, "Checking"), {"3 <kuid:12:1> Missing mesh"}},  // 2/3
        {PollReply(0, 0x3F800000, ""), {}},
        {PollReply(0, 0x3F800000, ""), {}},  // after the end: still not going
    };
    uint32_t transactionId = 41;
    for (const auto& poll : polls) {
        DaemonResponse response;
        EXPECT_TRUE(repairs.Answer(Request(1, 4, transactionId++), response));
        EXPECT_EQ(response.reply, poll.reply);
        if (poll.note.empty()) {
            EXPECT_TRUE(response.notes.empty());
            continue;
        }
        ASSERT_EQ(response.notes.size(), 1u);
        const NoteSeen seen = ReadNote(response.notes[0]);
        EXPECT_EQ(seen.transactionId, 40u);
        EXPECT_EQ(seen.lines, poll.note);
    }

    DaemonResponse otherClient;
    repairs.AddLateNotes(Request(2, 21, 7), otherClient);
    EXPECT_TRUE(otherClient.notes.empty());
    DaemonResponse late;
    repairs.AddLateNotes(Request(1, 21, 50), late);
    ASSERT_EQ(late.notes.size(), 1u);
    const NoteSeen seen = ReadNote(late.notes[0]);
    EXPECT_EQ(seen.transactionId, 40u);
    EXPECT_EQ(seen.lines, std::vector<std::string>{"2 <NULL> Afterwards"});
    DaemonResponse once;
    repairs.AddLateNotes(Request(1, 21, 51), once);
    EXPECT_TRUE(once.notes.empty());
}

TEST(RepairRequests, WithoutAPlanARepairEndsAtItsFirstPollAndOtherIdsAreNotRepairs) {
    RepairRequests repairs;
    DaemonResponse response;
    EXPECT_TRUE(repairs.Answer(Request(1, 4, 1), response));
    EXPECT_EQ(response.reply, PollReply(0, 0x3F800000, ""));
    EXPECT_TRUE(repairs.Answer(Request(1, 3, 2), response));
    DaemonResponse poll;
    EXPECT_TRUE(repairs.Answer(Request(1, 4, 3), poll));
    EXPECT_EQ(poll.reply, PollReply(0, 0x3F800000, ""));
    EXPECT_TRUE(poll.notes.empty());
    DaemonResponse other;
    EXPECT_FALSE(repairs.Answer(Request(1, 21, 4), other));
}

}  // namespace
