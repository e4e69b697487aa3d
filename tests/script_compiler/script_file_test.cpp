// ScriptFile: the ".gse" layout against bytes written by hand, the two states and their
// conversions, the one-shot preamble, and every damaged or missing file refused.
#include <gtest/gtest.h>

#include <string>

#include "script_compiler/script_file.h"
#include "script_compiler/script_scramble_table.h"
#include "script_folder.h"

namespace {

// "int a;" saved as ".gse": format word 1, 0, payload length 11, 0, then the payload
// (plain length 6, the LZSS stored form: header byte 0 and the six bytes) XORed with the
// first 11 bytes of the table (5B C2 17 8E 39 A4 6D F0 02 9B 74).
const Bytes kIntAGse = {
    0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0B, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x5D, 0xC2, 0x17, 0x8E, 0x39, 0xCD, 0x03, 0x84, 0x22, 0xFA, 0x4F,
};

std::string Text(const ScriptFile& file) {
    return std::string(file.Bytes().begin(), file.Bytes().end());
}

// A ".gse" file of the given format word around a plain payload, scrambled here.
Bytes GseFile(uint32_t formatWord, Bytes payload, uint32_t lengthWord) {
    for (size_t i = 0; i < payload.size(); ++i) payload[i] ^= kScriptScrambleTable[i % 32];
    Bytes file(16 + payload.size(), 0);
    for (int i = 0; i < 4; ++i) {
        file[i] = static_cast<uint8_t>(formatWord >> (8 * i));
        file[8 + i] = static_cast<uint8_t>(lengthWord >> (8 * i));
    }
    for (size_t i = 0; i < payload.size(); ++i) file[16 + i] = payload[i];
    return file;
}

class ScriptFileTest : public testing::Test {
protected:
    void TearDown() override { ScriptFile::SetPreamble(Kiv::PString()); }
    ScriptFolder folder_;
};

TEST_F(ScriptFileTest, SavesTheEncryptedFormByteForByte) {
    ScriptFile file;
    ASSERT_TRUE(file.Load(nullptr, folder_.Write("a.gs", "int a;").c_str()));
    ASSERT_TRUE(file.Save(nullptr, folder_.Path("a.gse").c_str()));
    EXPECT_EQ(folder_.Read("a.gse"), kIntAGse);
    EXPECT_TRUE(file.IsScrambled());
}

TEST_F(ScriptFileTest, ReadsAnEncryptedFileWrittenByHand) {
    Bytes bytes = kIntAGse;
    bytes[0] = 7;  // the format word is kept, whatever it is
    ScriptFile file;
    ASSERT_TRUE(file.Load(nullptr, folder_.Write("a.gse", bytes).c_str()));
    EXPECT_TRUE(file.IsScrambled());
    EXPECT_EQ(file.GetFormatWord(), 7u);
    EXPECT_EQ(file.GetPlainLength(), 0u);
    EXPECT_EQ(file.GetLength(), 6u);
    EXPECT_FALSE(file.IsScrambled());
    EXPECT_EQ(Text(file), "int a;");
    ASSERT_TRUE(file.Save(nullptr, folder_.Path("b.gse").c_str()));
    EXPECT_EQ(folder_.Read("b.gse")[0], 7);
}

TEST_F(ScriptFileTest, EncryptedTextsOfEverySizeDecryptToTheSameBytes) {
    std::string large;
    for (int i = 0; i < 3000; ++i) large += "x = x + " + std::to_string(i % 97) + ";\r\n";
    for (const std::string& text : {std::string("i"), std::string(7, 'q'), large}) {
        ScriptFile file;
        ASSERT_TRUE(file.Load(nullptr, folder_.Write("t.gs", text).c_str()));
        ASSERT_TRUE(file.Save(nullptr, folder_.Path("t.gse").c_str()));
        ScriptFile back;
        ASSERT_TRUE(back.Load(nullptr, folder_.Path("t.gse").c_str()));
        EXPECT_EQ(back.GetFormatWord(), 1u);
        ASSERT_TRUE(back.Decrypt());
        EXPECT_EQ(Text(back), text);
        ASSERT_TRUE(back.Save(nullptr, folder_.Path("u.gs").c_str()));
        EXPECT_EQ(folder_.Read("u.gs"), Bytes(text.begin(), text.end()));
    }
    EXPECT_LT(folder_.Read("t.gse").size(), large.size() / 4);
}

TEST_F(ScriptFileTest, ScramblingTwiceGivesBackTheBytesAndRepeatsEvery32Bytes) {
    const std::string text(40, 'a');
    ScriptFile file;
    ASSERT_TRUE(file.Load(nullptr, folder_.Write("s.gs", text).c_str()));
    file.Scramble();
    EXPECT_EQ(file.Bytes()[0], 'a' ^ 0x5B);
    EXPECT_EQ(file.Bytes()[31], 'a' ^ 0x9D);
    EXPECT_EQ(file.Bytes()[32], 'a' ^ 0x5B);
    file.Scramble();
    EXPECT_EQ(Text(file), text);
}

TEST_F(ScriptFileTest, DamagedEncryptedFilesDoNotLoad) {
    const Bytes payload = {6, 0, 0, 0, 0, 'i', 'n', 't', ' ', 'a', ';'};
    struct Case {
        const char* name;
        Bytes bytes;
    } const cases[] = {
        {"payload length 0", GseFile(1, {}, 0)},
        {"payload length above 0x2000000", GseFile(1, payload, 0x2000001)},
        {"payload shorter than its length", GseFile(1, payload, 12)},
        {"header cut short", Bytes(kIntAGse.begin(), kIntAGse.begin() + 10)},
        {"empty file", Bytes()},
    };
    for (const Case& c : cases) {
        ScriptFile file;
        EXPECT_FALSE(file.Load(nullptr, folder_.Write("d.gse", c.bytes).c_str())) << c.name;
        EXPECT_TRUE(file.Bytes().empty()) << c.name;
        EXPECT_FALSE(file.IsScrambled()) << c.name;
    }
}

TEST_F(ScriptFileTest, DamagedPayloadsDoNotDecrypt) {
    struct Case {
        const char* name;
        Bytes payload;
        bool keeps;  // a plain length of 0 fails without dropping the payload
    } const cases[] = {
        {"plain length 0", {0, 0, 0, 0, 0}, true},
        {"plain length above 0x4000000", {1, 0, 0, 4, 0, 'x'}, false},
        {"fewer bytes than the plain length", {7, 0, 0, 0, 0, 'i', 'n', 't'}, false},
        {"more bytes than the plain length", {2, 0, 0, 0, 0, 'i', 'n', 't'}, false},
        {"unknown stream level", {3, 0, 0, 0, 0x0F, 'a', 'b', 'c'}, false},
        {"shorter than the length word", {3, 0}, false},
    };
    for (const Case& c : cases) {
        const Bytes bytes = GseFile(1, c.payload, static_cast<uint32_t>(c.payload.size()));
        ScriptFile file;
        ASSERT_TRUE(file.Load(nullptr, folder_.Write("p.gse", bytes).c_str())) << c.name;
        EXPECT_FALSE(file.Decrypt()) << c.name;
        EXPECT_EQ(file.GetData(), nullptr) << c.name;
        EXPECT_EQ(file.GetLength(), 0u) << c.name;
        EXPECT_EQ(file.IsScrambled(), c.keeps) << c.name;
        EXPECT_EQ(file.Bytes(), c.keeps ? Bytes(bytes.begin() + 16, bytes.end()) : Bytes()) << c.name;
    }
}

TEST_F(ScriptFileTest, AnEmptyTextLoadsButItsEncryptedFormDoesNotDecrypt) {
    ScriptFile file;
    ASSERT_TRUE(file.Load(nullptr, folder_.Write("e.gs", "").c_str()));
    EXPECT_EQ(file.GetLength(), 0u);
    ASSERT_TRUE(file.Save(nullptr, folder_.Path("e.gse").c_str()));
    ScriptFile back;
    ASSERT_TRUE(back.Load(nullptr, folder_.Path("e.gse").c_str()));
    EXPECT_FALSE(back.Decrypt());
}

TEST_F(ScriptFileTest, ThePreambleGoesBeforeTheNextTextOnly) {
    ScriptFile::SetPreamble(Kiv::PString("// pre\n"));
    ScriptFile file;
    ASSERT_TRUE(file.Load(nullptr, folder_.Write("p.gs", "text").c_str()));
    EXPECT_EQ(Text(file), "// pre\ntext");
    EXPECT_EQ(file.GetPreambleLength(), 7u);
    EXPECT_EQ(file.GetLength(), 11u);
    EXPECT_TRUE(ScriptFile::GetPreamble().IsEmpty());
    ASSERT_TRUE(file.Load(nullptr, folder_.Path("p.gs").c_str()));
    EXPECT_EQ(Text(file), "text");
    EXPECT_EQ(file.GetPreambleLength(), 0u);

    ScriptFile::SetPreamble(Kiv::PString("pre"));
    ASSERT_TRUE(file.Load(nullptr, folder_.Write("z.gs", "").c_str()));
    EXPECT_EQ(Text(file), "pre");

    ScriptFile::SetPreamble(Kiv::PString("pre "));
    ASSERT_TRUE(file.Load(nullptr, folder_.Write("a.gse", kIntAGse).c_str()));
    ASSERT_TRUE(file.Decrypt());
    EXPECT_EQ(Text(file), "pre int a;");
    EXPECT_EQ(file.GetPreambleLength(), 4u);
}

TEST_F(ScriptFileTest, OtherExtensionsAndMissingFilesDoNotLoad) {
    folder_.Write("a.txt", "int a;");
    const char* const paths[] = {"a.txt", "missing.gs", "missing.gse", "a"};
    for (const char* name : paths) {
        ScriptFile file;
        const std::string path = folder_.Path(name);
        EXPECT_FALSE(file.Load(nullptr, path.c_str())) << name;
        EXPECT_EQ(file.GetSourcePath().View(), path) << name;
        EXPECT_TRUE(file.Bytes().empty()) << name;
        EXPECT_EQ(file.GetFormatWord(), 1u) << name;
    }
    ScriptFile file;
    ASSERT_TRUE(file.Load(nullptr, folder_.Write("b.gs", "x").c_str()));
    EXPECT_FALSE(file.Save(nullptr, folder_.Path("b.txt").c_str()));
    EXPECT_FALSE(file.Save(nullptr, ""));
}

TEST_F(ScriptFileTest, ASaveReplacesTheTargetAndFailsWhenItCannotWrite) {
    ScriptFile file;
    ASSERT_TRUE(file.Load(nullptr, folder_.Write("a.gs", "int a;").c_str()));
    folder_.Write("old.gse", std::string(100, 'z'));
    ASSERT_TRUE(file.Save(nullptr, folder_.Path("old.gse").c_str()));
    EXPECT_EQ(folder_.Read("old.gse"), kIntAGse);
    EXPECT_FALSE(file.Save(nullptr, folder_.Path("no/such/folder/a.gse").c_str()));
}

}  // namespace
