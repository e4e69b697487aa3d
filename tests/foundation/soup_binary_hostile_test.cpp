// Hostile binary soup files: every prefix of a valid file and seeded random mutations of it
// are read, walked, edited and written again. None may crash, hang or read out of bounds
// (the sanitizer build checks the last), and whatever the reader accepts writes back into
// a file that reads again.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "foundation/soup/binary_file.h"
#include "foundation/soup/chunk.h"
#include "soup_binary_test_support.h"

using namespace soup_binary_test;

namespace {

// Every file type, names of several lengths, containers three deep, unnamed entries and an
// ignored tail.
Bytes RichBody() {
    const Bytes leaves =
        Join({Entry("i", 1, Join({Int32(1), Int32(-2)})), Entry("f", 2, Int32(0x3FC00000)),
              Entry("text", 3, Ascii("caf\xE9", true)), Entry("", 4, Pattern(9)),
              Entry("null", 5, {}), Entry("aligned", 12, Pattern(33)),
              Entry("kuid", 13, Join({Int32(1), Int32(2)})), Entry("odd", 77, Pattern(3))});
    const Bytes deep = Entry("deep", 0, Join({leaves, Entry("deeper", 0, leaves)}));
    return Join({leaves, deep, Entry("empty", 0, {}), Hex("01 02 03")});
}

// Reads the bytes as a file, walks what it holds, edits it and writes it back; the written
// form must read again with true.
void Exercise(const Bytes& bytes) {
    ReadResult read = Read(bytes);
    if (!read.soup.Get()) return;
    Touch(read.soup);
    read.soup.RemoveNamedTag(Kiv::PString("i"));
    read.soup.SetNamedTagInt(Kiv::PString("deep"), 3);
    ACSChunkRef sub = read.soup.GetIndexedSoup(0);
    if (sub.Get()) sub.SetNamedTagString(Kiv::PString("added"), "x");
    Touch(read.soup);
    const ReadResult again = Read(Written(read.soup));
    EXPECT_TRUE(again.read);
    Touch(again.soup);
}

} // namespace

TEST(SoupBinaryHostile, EveryPrefixOfAValidFileReadsSafely) {
    for (int32_t version : {0, 1}) {
        const Bytes whole = File(RichBody(), version);
        ASSERT_GT(Touch(Read(whole).soup), 20);
        for (size_t length = 0; length < whole.size(); ++length) {
            const Bytes prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
            const ReadResult read = Read(prefix);
            // A cut header is foreign, a cut body is more than the file holds.
            EXPECT_EQ(read.read, length >= 4 && length < 16) << length;
            EXPECT_EQ(read.soup.Get(), nullptr) << length;
        }
    }
}

// A body cut short inside: the header says so, so the entries no longer fit the body.
TEST(SoupBinaryHostile, EveryShortenedBodyReadsSafely) {
    const Bytes body = RichBody();
    for (size_t length = 0; length < body.size(); ++length)
        Exercise(File(Bytes(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(length))));
}

TEST(SoupBinaryHostile, SeededRandomMutationsReadSafely) {
    std::mt19937 random(20240611);
    const Bytes original = File(RichBody());
    int accepted = 0;
    for (int round = 0; round < 4000; ++round) {
        Bytes bytes = original;
        const int changes = 1 + static_cast<int>(random() % 6);
        for (int c = 0; c < changes; ++c) {
            const size_t at = random() % bytes.size();
            switch (random() % 4) {
            case 0:
                bytes[at] = static_cast<uint8_t>(random());
                break;
            case 1:
                bytes[at] ^= static_cast<uint8_t>(1u << (random() % 8));
                break;
            case 2:
                bytes[at] = random() % 2 ? 0x00 : 0xFF;
                break;
            default:
                bytes[at] = static_cast<uint8_t>(bytes[at] + 1);
                break;
            }
        }
        Exercise(bytes);
        accepted += Read(bytes).soup.Get() != nullptr;
    }
    // Most single changes land in values, so many mutated files are still soups.
    EXPECT_GT(accepted, 100);
}
