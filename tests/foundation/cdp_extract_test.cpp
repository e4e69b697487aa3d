// Extraction of a files tree: stored and LZSS files written byte for byte, the names,
// paths and types that are skipped, hostile trees that must not write outside the target
// folder, and the error texts with the files a failure leaves (none half-written).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cdp_test_support.h"
#include "foundation/cdp/cdp_archive.h"
#include "foundation/lzss/lzss_compress.h"

namespace {

using cdp_test::Bytes;
using cdp_test::BytesOf;
using Names = std::vector<std::string>;

const Bytes kPrefix = {0xDE, 0xAD, 0xBE, 0xEF}; // skipped by extraction

const char kDecompressFailed[] = "Failed to decompress data. Content package may be damaged";
const char kUnknownCompression[] =
    "Unknown compression type encountered. Content package may be damaged";
const char kUnknownData[] = "Unknown data type encountered. Content package may be damaged";
const char kCannotWrite[] = "Unable to write content files to disk";

// A compressed blob holding the stored form of the bytes: header 0x00, then the bytes.
Bytes StoredEntry(const Bytes& bytes) {
    return cdp_test::Concat({kPrefix, {0x00}, bytes});
}

Bytes TrainText() {
    std::string text;
    for (int i = 0; i < 200; ++i) text += "the train leaves platform " + std::to_string(i % 7) + "\n";
    return BytesOf(text);
}

class CDPExtract : public cdp_test::ScratchFolder {
  protected:
    void SetUp() override {
        ScratchFolder::SetUp();
        target_ = Kiv::PString((root_ + "/target").c_str());
    }
    std::string Extract(const ACSChunkRef& files, const char* compression) {
        return CDPArchive::ExtractFiles(files, target_, "", compression).c_str();
    }
    Kiv::PString target_;
};

TEST_F(CDPExtract, StoredFilesAreWrittenAsTheyAre) {
    ACSChunkRef files;
    cdp_test::AddBlob(files, "config.txt", BytesOf("kind \"mesh\"\r\n"));
    ACSChunkRef mesh = cdp_test::AddFolder(files, "Mesh Files");
    cdp_test::AddBlob(mesh, "body.pm", {0, 1, 2, 0xFF, 0x80});
    cdp_test::AddBlob(files, "empty.txt", {});
    cdp_test::AddFolder(files, "no files");

    EXPECT_EQ(Extract(files, ""), "");
    EXPECT_EQ(Read("target/config.txt"), BytesOf("kind \"mesh\"\r\n"));
    EXPECT_EQ(Read("target/Mesh Files/body.pm"), Bytes({0, 1, 2, 0xFF, 0x80}));
    EXPECT_TRUE(Exists("target/empty.txt"));
    EXPECT_EQ(Read("target/empty.txt"), Bytes());
    EXPECT_TRUE(std::filesystem::is_directory(At("target/no files")));
}

TEST_F(CDPExtract, LZSSFilesAreDecodedAfterTheirFirstFourBytes) {
    const Bytes text = TrainText();
    const Bytes coded = Kiv::LZSSCompress().Compress(text, 9);
    ASSERT_LT(coded.size(), text.size());
    ACSChunkRef files;
    cdp_test::AddBlob(files, "stored.txt", StoredEntry(BytesOf("hello")));
    cdp_test::AddBlob(files, "coded.txt", cdp_test::Concat({kPrefix, coded}));
    // A stream that decodes to no bytes is an empty file, not a damaged one.
    cdp_test::AddBlob(files, "empty.txt", StoredEntry({}));

    EXPECT_EQ(Extract(files, "LZSS"), "");
    EXPECT_EQ(Read("target/stored.txt"), BytesOf("hello"));
    EXPECT_EQ(Read("target/coded.txt"), text);
    EXPECT_TRUE(Exists("target/empty.txt"));
    EXPECT_EQ(Read("target/empty.txt"), Bytes());
}

TEST_F(CDPExtract, LargeLZSSFilesAreDecodedStraightIntoTheFile) {
    // Many times the decoder's buffer, at every coded form and window class.
    Bytes text;
    while (text.size() < 400000) {
        const Bytes more = TrainText();
        text.insert(text.end(), more.begin(), more.end());
        text.push_back(static_cast<uint8_t>(text.size()));
    }
    ACSChunkRef files;
    for (int level : {1, 4, 5, 9}) {
        const std::string name = "level" + std::to_string(level) + ".txt";
        cdp_test::AddBlob(files, name.c_str(),
                          cdp_test::Concat({kPrefix, Kiv::LZSSCompress().Compress(text, level)}));
    }
    // A Huffman stream cut short far into the file (it lacks its end symbol): the bytes
    // already written are removed again.
    Bytes cut = Kiv::LZSSCompress().Compress(text, 9);
    cut.resize(cut.size() * 3 / 4 + 1);
    cdp_test::AddBlob(files, "cut.txt", cdp_test::Concat({kPrefix, cut}));

    EXPECT_EQ(Extract(files, "LZSS"), kDecompressFailed);
    for (int level : {1, 4, 5, 9}) {
        SCOPED_TRACE(level);
        EXPECT_TRUE(Read("target/level" + std::to_string(level) + ".txt") == text);
    }
    EXPECT_FALSE(Exists("target/cut.txt"));
}

TEST_F(CDPExtract, NamesPathsAndTypesOutsideTheRulesAreSkippedSilently) {
    ACSChunkRef files;
    cdp_test::AddBlob(cdp_test::AddFolder(files, ".."), "up.txt", BytesOf("x"));
    cdp_test::AddBlob(cdp_test::AddFolder(files, "."), "here.txt", BytesOf("x"));
    cdp_test::AddBlob(cdp_test::AddFolder(files, "..\\.."), "up.txt", BytesOf("x"));
    const std::string outside = root_ + "/outside";
    cdp_test::AddBlob(cdp_test::AddFolder(files, outside.c_str()), "abs.txt", BytesOf("x"));
    cdp_test::AddBlob(files, " lead.txt", BytesOf("x"));
    cdp_test::AddBlob(files, "trail.txt ", BytesOf("x"));
    cdp_test::AddBlob(files, "tool.exe", BytesOf("x"));
    cdp_test::AddBlob(files, "noextension", BytesOf("x"));
    cdp_test::AddBlob(files, "../escape.txt", BytesOf("x"));
    cdp_test::AddBlob(files, "..\\escape.txt", BytesOf("x"));
    cdp_test::AddBlob(files, "sub/../../escape.txt", BytesOf("x"));
    cdp_test::AddBlob(files, (root_ + "/absolute.txt").c_str(), BytesOf("x"));
    cdp_test::AddBlob(files, "kept.txt", BytesOf("kept"));

    EXPECT_EQ(Extract(files, ""), "");
    // The scratch folder holds the target folder alone: nothing landed beside it.
    EXPECT_EQ(Listing(), Names({"target", "target/kept.txt"}));
}

TEST_F(CDPExtract, OtherChildTypesAreReportedAndTheWalkGoesOn) {
    ACSChunkRef files;
    cdp_test::AddTag(files, "count.txt", ACSTagType::IntArray, {1, 0, 0, 0});
    cdp_test::AddBlob(files, "after.txt", BytesOf("after"));
    EXPECT_EQ(Extract(files, ""), kUnknownData);
    EXPECT_EQ(Read("target/after.txt"), BytesOf("after"));

    ACSChunkRef empty;
    cdp_test::AddTag(empty, "empty.txt", ACSTagType::Null, {});
    EXPECT_EQ(Extract(empty, ""), kUnknownData);
}

TEST_F(CDPExtract, DamagedCompressedFilesAreReportedAndNotLeftBehind) {
    struct Case {
        const char* what;
        Bytes blob;
        const char* compression;
        const char* error;
    };
    const Case cases[] = {
        {"no bytes", {}, "LZSS", kDecompressFailed},
        {"3 bytes", {1, 2, 3}, "LZSS", kDecompressFailed},
        {"4 bytes: no stream header", kPrefix, "LZSS", kDecompressFailed},
        {"a header naming no window class", cdp_test::Concat({kPrefix, {0x35, 1, 2}}), "LZSS",
         kDecompressFailed},
        {"a stream cut short", cdp_test::Concat({kPrefix, {0x05, 0xFF}}), "LZSS",
         kDecompressFailed},
        {"short bytes come before the name check", {1, 2}, "ZIP", kDecompressFailed},
        {"another compression", StoredEntry(BytesOf("x")), "ZIP", kUnknownCompression},
        {"the name is case-sensitive", StoredEntry(BytesOf("x")), "lzss", kUnknownCompression},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ACSChunkRef files;
        cdp_test::AddBlob(files, "good.txt", StoredEntry(BytesOf("good")));
        cdp_test::AddBlob(files, "bad.txt", c.blob);
        const std::string error = Extract(files, c.compression);
        EXPECT_EQ(error, c.error);
        EXPECT_FALSE(Exists("target/bad.txt"));
        std::filesystem::remove_all(At("target"));
    }
}

TEST_F(CDPExtract, AFailureInASubFolderReachesTheTopAndTheLastErrorWins) {
    ACSChunkRef files;
    ACSChunkRef sub = cdp_test::AddFolder(files, "sub");
    cdp_test::AddBlob(sub, "bad.txt", {1, 2, 3});
    cdp_test::AddBlob(sub, "good.txt", StoredEntry(BytesOf("sub")));
    cdp_test::AddBlob(files, "top.txt", StoredEntry(BytesOf("top")));
    EXPECT_EQ(Extract(files, "LZSS"), kDecompressFailed);
    EXPECT_EQ(Read("target/sub/good.txt"), BytesOf("sub"));
    EXPECT_EQ(Read("target/top.txt"), BytesOf("top"));
    EXPECT_FALSE(Exists("target/sub/bad.txt"));

    cdp_test::AddTag(files, "later.txt", ACSTagType::FloatArray, {0, 0, 0, 0});
    EXPECT_EQ(Extract(files, "LZSS"), kUnknownData);
}

TEST_F(CDPExtract, AFileThatCannotBeOpenedIsReported) {
    std::filesystem::create_directories(At("target/taken.txt"));
    ACSChunkRef files;
    cdp_test::AddBlob(files, "taken.txt", BytesOf("x"));
    cdp_test::AddBlob(files, "free.txt", BytesOf("free"));
    EXPECT_EQ(Extract(files, ""), kCannotWrite);
    EXPECT_TRUE(std::filesystem::is_directory(At("target/taken.txt")));
    EXPECT_EQ(Read("target/free.txt"), BytesOf("free"));
}

TEST_F(CDPExtract, AWriteThatFailsIsReportedNotTakenForSuccess) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    const Kiv::PString devices("/dev");
    EXPECT_EQ(std::string(CDPArchive::ExtractFile(BytesOf("data"), devices, "full", "").c_str()),
              kCannotWrite);
    EXPECT_EQ(std::string(CDPArchive::ExtractFile(StoredEntry(BytesOf("data")), devices, "full",
                                                  "LZSS")
                              .c_str()),
              kCannotWrite);
    EXPECT_TRUE(std::filesystem::exists("/dev/full")); // a device is never removed
}

TEST_F(CDPExtract, ExtractFileReplacesAnExistingFile) {
    std::filesystem::create_directories(At("target"));
    const Bytes longer = BytesOf("a much longer old content");
    std::ofstream(At("target/a.txt"), std::ios::binary)
        .write(reinterpret_cast<const char*>(longer.data()), longer.size());
    const Bytes bytes = BytesOf("new");
    EXPECT_EQ(std::string(CDPArchive::ExtractFile(bytes, target_, "a.txt", "").c_str()), "");
    EXPECT_EQ(Read("target/a.txt"), bytes);
}

TEST_F(CDPExtract, TreesNestedTooDeeplyAreRefusedBeforeWriting) {
    const char damaged[] = "Content could not be read, as the CDP file is damaged";
    const auto chain = [](int levels) {
        ACSChunkRef files;
        files.EnsureContainer();
        ACSChunkRef folder = files;
        for (int i = 0; i < levels; ++i) folder = cdp_test::AddFolder(folder, "d");
        cdp_test::AddBlob(folder, "deep.txt", BytesOf("x"));
        return files;
    };
    EXPECT_EQ(Extract(chain(513), ""), damaged);
    EXPECT_EQ(Listing(), Names());

    ACSChunkRef loop;
    loop.EnsureContainer();
    loop->AddChild("again", loop);
    EXPECT_EQ(Extract(loop, ""), damaged);
    EXPECT_EQ(Listing(), Names());
    loop.RemoveTag(loop); // breaks the reference cycle

    EXPECT_EQ(Extract(chain(20), ""), "");
    std::string deep = "target";
    for (int i = 0; i < 20; ++i) deep += "/d";
    EXPECT_EQ(Read(deep + "/deep.txt"), BytesOf("x"));
}

} // namespace
