// The ".ka" resource archive: an archive written byte by byte reads back its entries, the
// writer lays out exactly those bytes, and every malformed index is refused with a reason
// instead of being read past its end.
#include "engine/resource_archive.h"

#include <gtest/gtest.h>

#include "engine/resource_archive_writer.h"
#include "temp_folder.h"

namespace {

using namespace std::string_literals;

// "KARC", version 1, two entries: "a.txt" (3 bytes at 62, after the 12-byte header and
// index entries of 23 and 27 bytes) and "Sub/B.bin" (2 bytes at 65).
const std::string kTwoEntries =
    "KARC"s + "\x01\0\0\0"s + "\x02\0\0\0"s +
    "\x05\0"s + "a.txt" + "\x3E\0\0\0\0\0\0\0"s + "\x03\0\0\0\0\0\0\0"s +
    "\x09\0"s + "Sub/B.bin" + "\x41\0\0\0\0\0\0\0"s + "\x02\0\0\0\0\0\0\0"s +
    "abc" + "xy";

std::string Text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(ResourceArchive, ReadsEntriesOfAHandWrittenArchive) {
    TempFolder temp;
    temp.WriteFile("two.ka", kTwoEntries);
    std::string error;
    auto archive = Kiv::ResourceArchive::Open(temp.Path("two.ka").c_str(), error);
    ASSERT_NE(archive, nullptr) << error;
    ASSERT_EQ(archive->GetEntries().size(), 2u);
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(archive->Read("a.txt", bytes));
    EXPECT_EQ(Text(bytes), "abc");
    EXPECT_TRUE(archive->Read("sub\\b.BIN", bytes));  // either separator, case ignored
    EXPECT_EQ(Text(bytes), "xy");
    EXPECT_FALSE(archive->Read("sub", bytes));
    EXPECT_FALSE(archive->Read("../a.txt", bytes));
    EXPECT_EQ(archive->Find("missing"), nullptr);
}

TEST(ResourceArchive, TheWriterLaysOutTheFormat) {
    Kiv::ResourceArchiveWriter writer;
    writer.Add("a.txt", "abc");
    writer.Add("Sub/B.bin", "xy");
    EXPECT_EQ(writer.Build(), kTwoEntries);
}

TEST(ResourceArchive, MalformedArchivesAreRefused) {
    const std::string header = "KARC"s + "\x01\0\0\0"s;
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty file", ""},
        {"truncated header", "KARC\x01"},
        {"wrong magic", "KARX"s + "\x01\0\0\0"s + "\0\0\0\0"s},
        {"version 2", "KARC"s + "\x02\0\0\0"s + "\0\0\0\0"s},
        {"count beyond the file", header + "\xFF\xFF\0\0"s},
        {"count above the limit", header + "\x01\0\x01\0"s + std::string(2000000, '\0')},
        {"name length 0", header + "\x01\0\0\0"s + "\0\0"s + std::string(20, '\0')},
        {"name runs past the end", header + "\x01\0\0\0"s + "\xFF\x00"s + std::string(20, 'a')},
        {"data past the end", header + "\x01\0\0\0"s + "\x01\0"s + "a" +
                                  "\x1F\0\0\0\0\0\0\0"s + "\x02\0\0\0\0\0\0\0"s + "z"},
        {"offset plus size wraps", header + "\x01\0\0\0"s + "\x01\0"s + "a" +
                                       "\x01\0\0\0\0\0\0\0"s + "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"s},
        {"parent component", header + "\x01\0\0\0"s + "\x04\0"s + "../a" +
                                 "\x0C\0\0\0\0\0\0\0"s + "\0\0\0\0\0\0\0\0"s},
        {"absolute name", header + "\x01\0\0\0"s + "\x02\0"s + "/a" +
                              "\x0C\0\0\0\0\0\0\0"s + "\0\0\0\0\0\0\0\0"s},
        {"names equal ignoring case", header + "\x02\0\0\0"s +
                                          "\x01\0"s + "a" + "\x0C\0\0\0\0\0\0\0"s + "\0\0\0\0\0\0\0\0"s +
                                          "\x01\0"s + "A" + "\x0C\0\0\0\0\0\0\0"s + "\0\0\0\0\0\0\0\0"s},
    };
    TempFolder temp;
    for (const auto& c : cases) {
        temp.WriteFile("bad.ka", c.bytes);
        std::string error;
        EXPECT_EQ(Kiv::ResourceArchive::Open(temp.Path("bad.ka").c_str(), error), nullptr) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
    std::string error;
    EXPECT_EQ(Kiv::ResourceArchive::Open(temp.Path("none.ka").c_str(), error), nullptr);
}

TEST(ResourceArchive, EveryPrefixOfAValidArchiveFailsCleanly) {
    TempFolder temp;
    for (size_t length = 0; length < kTwoEntries.size(); ++length) {
        temp.WriteFile("cut.ka", kTwoEntries.substr(0, length));
        std::string error;
        EXPECT_EQ(Kiv::ResourceArchive::Open(temp.Path("cut.ka").c_str(), error), nullptr) << length;
    }
}

}  // namespace
