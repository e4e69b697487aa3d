// The 'karc' archive's header and entry walk, on archives written byte by byte: the header
// the save job writes, then the checks that make a damaged file unreadable (magic, version,
// end offset, tag, next-entry offsets that do not move forward or leave the archive, a
// missing terminator) and the build test that chooses the install options.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/host/kav_archive.h"
#include "client/host/kav_archive_reader.h"
#include "foundation/soup/binary_file.h"
#include "foundation/streams/buffer_stream.h"
#include "karc_test_support.h"

namespace {

using namespace karc_test;

Bytes Archive(int32_t version, float build, int32_t tag,
              std::initializer_list<std::pair<int32_t, int32_t>> kuids, int32_t lastShift = 0,
              bool terminator = true) {
    std::vector<Entry> entries;
    for (const auto& [content, shift] : kuids) {
        const KUID kuid(12, content, 0);
        entries.push_back({kuid, ConfigOf(kuid), shift});
    }
    if (!entries.empty()) entries.back().nextShift += lastShift;
    return karc_test::Archive(version, build, tag, entries, terminator);
}

struct Walk {
    KAVArchiveRead read;
    KAVArchiveHeader header;
    std::vector<std::string> visited;
};

Walk Read(const Bytes& bytes, int32_t tag) {
    BufferStream stream;
    stream.Stream().WriteBytes(bytes.data(), bytes.size());
    stream.Stream().Rewind();
    Walk walk;
    walk.read =
        ReadKAVArchive(stream.Stream(), tag, walk.header, [&](const KUID& kuid, TStream& entry) {
            ACSChunkRef soup;
            TDBBinaryFile::ReadSoup(soup, entry);
            const KUID inside = soup.GetNamedTagAsKUID("kuid", KUID::Null());
            walk.visited.push_back(std::string(kuid.ToTag().View()) +
                                   (inside == kuid ? "" : " mismatch"));
        });
    return walk;
}

TEST(KAVArchiveTest, TheHeaderIsMagicVersionBuildPlaceholderAndTag) {
    BufferStream stream;
    EXPECT_EQ(KAVArchive::WriteHeader(stream.Stream(), 0x12345678), 12);
    const uint8_t* data = stream.Buffer().GetData();
    EXPECT_EQ(Bytes(data, data + stream.Stream().Tell()),
              (Bytes{0x63, 0x72, 0x61, 0x6B, // "crak"
                     0x01, 0x00, 0x00, 0x00, // version 1
                     0x33, 0x33, 0x53, 0x40, // 3.3f
                     0xEB, 0xCE, 0xED, 0xFE, // end offset, patched later
                     0x78, 0x56, 0x34, 0x12}));
}

TEST(KAVArchiveTest, BothVersionsAreWalkedToTheTerminator) {
    const Walk current = Read(Archive(1, 3.3f, 5, {{1, 0}, {2, 0}}), 5);
    EXPECT_EQ(current.read, KAVArchiveRead::kComplete);
    EXPECT_TRUE(current.header.thisBuild);
    EXPECT_EQ(current.visited, (std::vector<std::string>{"<kuid:12:1>", "<kuid:12:2>"}));

    const Walk older = Read(Archive(0, 0.0f, 5, {{1, 0}}), 5);
    EXPECT_EQ(older.read, KAVArchiveRead::kComplete);
    EXPECT_FALSE(older.header.thisBuild);
    EXPECT_EQ(older.visited, std::vector<std::string>{"<kuid:12:1>"});

    EXPECT_FALSE(Read(Archive(1, 3.4f, 5, {{1, 0}}), 5).header.thisBuild);
}

TEST(KAVArchiveTest, DamagedArchivesAreRefusedWithoutWalkingPastTheDamage) {
    const Bytes good = Archive(1, 3.3f, 5, {{1, 0}, {2, 0}});
    Bytes longer = good;
    longer.push_back(0);
    Bytes wrongMagic = good;
    wrongMagic[0] = 0x64;
    struct Case {
        const char* what;
        Bytes bytes;
        KAVArchiveRead read;
        size_t visited;
    };
    const Case cases[] = {
        {"end offset one byte short of the size", longer, KAVArchiveRead::kUnreadable, 0},
        {"wrong magic", wrongMagic, KAVArchiveRead::kUnreadable, 0},
        {"next offset before the entry", Archive(1, 3.3f, 5, {{1, -1000}}),
         KAVArchiveRead::kUnreadable, 0},
        {"next offset past the end", Archive(1, 3.3f, 5, {{1, 0}, {2, 9}}),
         KAVArchiveRead::kUnreadable, 1},
        {"no terminator", Archive(1, 3.3f, 5, {{1, 0}}, 0, false), KAVArchiveRead::kUnreadable, 1},
        {"version 2", Archive(2, 0.0f, 5, {{1, 0}}), KAVArchiveRead::kVersion, 0},
    };
    for (const Case& c : cases) {
        const Walk walk = Read(c.bytes, 5);
        EXPECT_EQ(walk.read, c.read) << c.what;
        EXPECT_EQ(walk.visited.size(), c.visited) << c.what;
    }
    EXPECT_EQ(Read(good, 6).read, KAVArchiveRead::kUnreadable); // another job's tag
    EXPECT_EQ(Read(Archive(2, 0.0f, 5, {}), 5).header.version, 2);
    EXPECT_EQ(Read(Bytes{0x63, 0x72, 0x61, 0x6B, 0x01}, 5).header.version, -1);
}

// Every prefix of a valid archive is refused, and none is taken for complete.
TEST(KAVArchiveTest, EveryPrefixIsRefused) {
    const Bytes good = Archive(1, 3.3f, 5, {{1, 0}, {2, 0}});
    for (size_t size = 0; size < good.size(); ++size) {
        const Walk walk =
            Read(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size)), 5);
        EXPECT_NE(walk.read, KAVArchiveRead::kComplete) << size;
    }
}

} // namespace
