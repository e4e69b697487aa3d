// The member list of an online group: the service's lists, full and as changes, matched
// ignoring case, with a report per change; the script's own calls matched by exact name.
#include "script_natives/online_group_members.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/streams/buffer_stream.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Entry {
    std::string name;
    uint8_t status;
};

// u16 count, then each entry as int32 length, the text, the status byte.
Bytes MemberList(const std::vector<Entry>& entries) {
    Bytes bytes = {static_cast<uint8_t>(entries.size()), static_cast<uint8_t>(entries.size() >> 8)};
    for (const Entry& entry : entries) {
        const uint32_t length = static_cast<uint32_t>(entry.name.size());
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(length >> shift));
        bytes.insert(bytes.end(), entry.name.begin(), entry.name.end());
        bytes.push_back(entry.status);
    }
    return bytes;
}

class OnlineGroupMembersTest : public ::testing::Test {
  protected:
    bool Read(const Bytes& bytes, bool full) {
        BufferStream stream;
        if (!bytes.empty()) stream.Buffer().Write(bytes.data(), 1, bytes.size());
        stream.Buffer().Seek(0, 0);
        return members_.Read(stream.Stream(), full, [this](OnlineGroupMembers::Change change, const Kiv::PString& name) {
            static const char* const kNames[] = {"added", "status", "removed"};
            changes_.push_back(std::string(kNames[static_cast<int>(change)]) + " " + std::string(name.View()));
        });
    }
    std::vector<std::string> Listed() const {
        std::vector<std::string> listed;
        for (int32_t i = 0; i < members_.Count(); ++i)
            listed.push_back(std::string(members_.NameAt(i).View()) + "=" + std::to_string(members_.StatusAt(i)));
        return listed;
    }

    OnlineGroupMembers members_;
    std::vector<std::string> changes_;
};

using Strings = std::vector<std::string>;

TEST_F(OnlineGroupMembersTest, ServiceListsMatchNamesIgnoringCase) {
    ASSERT_TRUE(Read(MemberList({{"bob", 1}, {"Ann", 2}}), true));
    EXPECT_EQ(changes_, (Strings{"added bob", "added Ann"}));

    struct Case {
        std::vector<Entry> entries;
        bool changed;
        Strings changes;
        Strings listed;
    };
    const Case cases[] = {
        {{{"Bob", 1}}, false, {}, {"bob=1", "Ann=2"}},
        {{{"BOB", 3}}, true, {"status BOB"}, {"bob=3", "Ann=2"}},
        {{{"ann", 255}, {"carl", 255}}, true, {"removed ann"}, {"bob=3"}},
        {{{"nobody", 255}}, false, {}, {"bob=3"}},
        {{{"dan", 0}, {"DAN", 255}}, true, {"added dan", "removed DAN"}, {"bob=3"}},
    };
    for (const Case& c : cases) {
        changes_.clear();
        EXPECT_EQ(Read(MemberList(c.entries), false), c.changed);
        EXPECT_EQ(changes_, c.changes);
        EXPECT_EQ(Listed(), c.listed);
    }
}

TEST_F(OnlineGroupMembersTest, AFullListReplacesTheMembers) {
    Read(MemberList({{"bob", 1}}), true);
    changes_.clear();
    // Clearing counts as a change even when the new list is empty; the old members are
    // not reported one by one.
    EXPECT_TRUE(Read(MemberList({}), true));
    EXPECT_TRUE(changes_.empty());
    EXPECT_EQ(members_.Count(), 0);
    EXPECT_FALSE(Read(MemberList({}), true));
    EXPECT_TRUE(Read(MemberList({{"bob", 1}}), true));
    EXPECT_EQ(changes_, (Strings{"added bob"}));
}

TEST_F(OnlineGroupMembersTest, ACutListKeepsTheEntriesThatArrivedWhole) {
    Bytes bytes = MemberList({{"ann", 1}, {"bob", 2}});
    bytes.resize(bytes.size() - 2);
    bytes[0] = 200;  // more entries promised than sent
    EXPECT_TRUE(Read(bytes, false));
    EXPECT_EQ(Listed(), (Strings{"ann=1"}));
    EXPECT_FALSE(Read({7}, false));
    EXPECT_FALSE(Read({}, false));
}

TEST_F(OnlineGroupMembersTest, TheScriptsCallsMatchTheExactName) {
    Read(MemberList({{"bob", 4}}), true);
    EXPECT_TRUE(members_.Add(Kiv::PString("Bob")));
    EXPECT_FALSE(members_.Add(Kiv::PString("Bob")));
    EXPECT_EQ(Listed(), (Strings{"bob=4", "Bob=0"}));
    EXPECT_EQ(members_.Find(Kiv::PString("BOB")), -1);
    EXPECT_EQ(members_.Find(Kiv::PString("Bob")), 1);
    EXPECT_FALSE(members_.Remove(Kiv::PString("BOB")));
    EXPECT_TRUE(members_.Remove(Kiv::PString("bob")));
    EXPECT_EQ(Listed(), (Strings{"Bob=0"}));
    for (int32_t index : {-1, 1, 1 << 30}) {
        EXPECT_EQ(members_.StatusAt(index), 0) << index;
        EXPECT_TRUE(members_.NameAt(index).View().empty()) << index;
    }
}

} // namespace
