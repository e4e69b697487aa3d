// The file blob of an archive entry: the file's length, then its LZSS stream. An empty file
// is a flag-word stream without items, which a reader that refuses a stored stream without
// data bytes still takes for an empty file; blobs extract back to the file's bytes, and the
// stored empty stream of earlier archives still reads.
#include "foundation/cdp/cdp_file_blob.h"

#include <gtest/gtest.h>

#include <string>

#include "cdp_test_support.h"
#include "foundation/cdp/cdp_archive.h"

namespace {

using cdp_test::Bytes;
using cdp_test::BytesOf;

class CDPFileBlob : public cdp_test::ScratchFolder {
  protected:
    // The bytes a blob extracts to, or the extraction's error text.
    std::string Extracted(const Bytes& blob) {
        const Kiv::PString error =
            CDPArchive::ExtractFile(blob, base_, Kiv::File::Path("out.txt"),
                                    Kiv::PString(kCDPFileCompression));
        if (!error.IsEmpty()) return error.c_str();
        const Bytes bytes = Read("out.txt");
        return std::string(bytes.begin(), bytes.end());
    }
};

TEST_F(CDPFileBlob, HoldsTheLengthThenTheStream) {
    // Length 0, then header 0x05 (window class 0, level 5: flag words) and no items, never
    // the stored header 0x00 alone.
    EXPECT_EQ(MakeCDPFileBlob({}), Bytes({0x00, 0x00, 0x00, 0x00, 0x05}));
    // Length 3, then the stored form of a short input: header 0x00 and the bytes.
    EXPECT_EQ(MakeCDPFileBlob(BytesOf("abc")),
              Bytes({0x03, 0x00, 0x00, 0x00, 0x00, 'a', 'b', 'c'}));
    // 300 bytes: length 0x12C, then the default level 5 in window class 1 (header 0x15).
    const Bytes blob = MakeCDPFileBlob(Bytes(300, 'x'));
    ASSERT_GT(blob.size(), 5u);
    EXPECT_EQ(Bytes(blob.begin(), blob.begin() + 5), Bytes({0x2C, 0x01, 0x00, 0x00, 0x15}));
    EXPECT_LT(blob.size(), 300u);
}

TEST_F(CDPFileBlob, EveryBlobExtractsToItsFile) {
    std::string text;
    for (int i = 0; i < 500; ++i) text += "signal " + std::to_string(i % 13) + " at danger\n";
    for (const std::string& file : {std::string(), std::string("abc"), text}) {
        SCOPED_TRACE(file.size());
        EXPECT_EQ(Extracted(MakeCDPFileBlob(BytesOf(file))), file);
    }
    // The stored stream without data bytes that earlier archives hold still reads as empty.
    EXPECT_EQ(Extracted({0x00, 0x00, 0x00, 0x00, 0x00}), "");
}

} // namespace
