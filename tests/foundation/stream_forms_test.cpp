// The stream forms of a KUID, of an entry's subject property and of a results log, pinned by
// hand-written bytes, read back, and read from damaged data: short reads, a garbled count,
// every prefix of a valid log.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "foundation/results/kodrin_property.h"
#include "foundation/kuid/kuid.h"
#include "foundation/results/results_log.h"
#include "foundation/streams/t_stream.h"
#include "stream_test_support.h"

namespace {

TEST(StreamForms, KuidIsContentIdThenThePackedWord) {
    struct Case {
        KUID kuid;
        Bytes bytes;
    };
    const Case cases[] = {
        {KUID(1, 2, 3), Hex("02 00 00 00 01 00 00 06")},
        {KUID(-5, 7, 127), Hex("07 00 00 00 FB FF FF FF")},
        {KUID::Null(), Hex("FF FF FF FF FF FF FF FF")},
    };
    for (const Case& c : cases) {
        MemoryStream memory;
        c.kuid.WriteBinary(memory.Stream());
        EXPECT_EQ(Contents(memory.Stream()), c.bytes);
        memory.Stream().Rewind();
        EXPECT_EQ(KUID::ReadBinary(memory.Stream()), c.kuid);
        EXPECT_EQ(memory.Stream().GetError(), 0);
    }
}

TEST(StreamForms, AShortKuidReadGivesTheNullKuidsParts) {
    struct Case {
        Bytes bytes;
        KUID kuid;
    };
    const Case cases[] = {
        {Hex(""), KUID::Null()},
        {Hex("02 00"), KUID::Null()},
        {Hex("02 00 00 00"), KUID(-1, 2, 127)},
        {Hex("02 00 00 00 01 00 00"), KUID(-1, 2, 127)},
    };
    for (const Case& c : cases) {
        MemoryStream memory(c.bytes);
        EXPECT_EQ(KUID::ReadBinary(memory.Stream()), c.kuid) << c.bytes.size();
        EXPECT_EQ(memory.Stream().GetError(), TStream::kErrorShortRead);
    }
}

// A property owned by the test.
KodrinPropertyHandle AssetSubject(const char* name, const KUID& kuid) {
    KodrinPropertyHandle handle;
    handle.Attach(new KodrinPropertyAssetID(name, kuid));
    return handle;
}

const Bytes kAssetSubjectBytes = Join({Hex("08 00 00 00  08 00 00 00"), Ascii("AssetID", true),
                                       Hex("0B 00 00 00"), Ascii("<kuid:1:2>", true)});

TEST(StreamForms, SubjectProperties) {
    struct Case {
        KodrinPropertyHandle subject;
        Bytes bytes;
    };
    const Case cases[] = {
        {KodrinPropertyHandle(), Hex("00 00 00 00")},
        {AssetSubject("AssetID", KUID(1, 2, 0)), kAssetSubjectBytes},
        {AssetSubject("kuid", KUID(1, 2, 3)),
         Join({Hex("08 00 00 00  05 00 00 00"), Ascii("kuid", true), Hex("0E 00 00 00"),
               Ascii("<kuid2:1:2:3>", true)})},
        {AssetSubject("kuid", KUID::Null()),
         Join({Hex("08 00 00 00  05 00 00 00"), Ascii("kuid", true), Hex("07 00 00 00"),
               Ascii("<NULL>", true)})},
    };
    for (const Case& c : cases) {
        MemoryStream memory;
        WriteKodrinProperty(memory.Stream(), c.subject);
        EXPECT_EQ(Contents(memory.Stream()), c.bytes);

        memory.Stream().Rewind();
        KodrinPropertyHandle back = AssetSubject("stale", KUID(9, 9, 9));
        EXPECT_TRUE(ReadKodrinProperty(memory.Stream(), back));
        EXPECT_EQ(memory.Stream().GetError(), 0);
        EXPECT_TRUE(memory.Stream().Eof());
        ASSERT_EQ(back.IsNull(), c.subject.IsNull());
        if (back.IsNull()) continue;
        auto* asset = static_cast<KodrinPropertyAssetID*>(back.Get());
        auto* original = static_cast<KodrinPropertyAssetID*>(c.subject.Get());
        EXPECT_EQ(asset->Name(), original->Name());
        EXPECT_EQ(asset->Value(), original->Value());
    }
}

TEST(StreamForms, OtherPropertyKindsAreConsumedAsNoSubject) {
    Bytes bytes = Join({Hex("05 00 00 00  02 00 00 00 6E 00  02 00 00 00 76 00"), Hex("2A")});
    MemoryStream memory(bytes);
    KodrinPropertyHandle back = AssetSubject("stale", KUID(9, 9, 9));
    EXPECT_TRUE(ReadKodrinProperty(memory.Stream(), back));
    EXPECT_TRUE(back.IsNull());
    EXPECT_EQ(memory.Stream().Tell(), 16);
}

TEST(StreamForms, ADamagedSubjectLeavesNoProperty) {
    for (size_t cut = 0; cut < kAssetSubjectBytes.size(); ++cut) {
        MemoryStream memory(Bytes(kAssetSubjectBytes.begin(), kAssetSubjectBytes.begin() + cut));
        KodrinPropertyHandle back = AssetSubject("stale", KUID(9, 9, 9));
        EXPECT_FALSE(ReadKodrinProperty(memory.Stream(), back)) << cut;
        EXPECT_TRUE(back.IsNull());
        EXPECT_NE(memory.Stream().GetError(), 0);
    }
}

// The log of five entries used below; entries 1 and 3 concern an asset.
class ResultsLogForm : public testing::Test {
  protected:
    void SetUp() override {
        auto* asset = new KodrinPropertyAssetID("AssetID", KUID(1, 2, 0));
        log_.AddEntry(ResultsLogKind::Information, nullptr, Kiv::String("zero"));
        log_.AddEntry(ResultsLogKind::Error, asset, Kiv::String("one"));
        log_.AddEntry(ResultsLogKind::Warning, nullptr, Kiv::String("two"));
        log_.AddEntry(ResultsLogKind::Success, asset, Kiv::String("three"));
        log_.AddEntry(ResultsLogKind::Error, nullptr, Kiv::String("four"));
        asset->Release();
    }

    static std::vector<std::string> Describe(const ResultsLog& log) {
        std::vector<std::string> lines;
        for (const ResultsLogEntry& entry : log.Entries())
            lines.push_back(std::to_string(entry.kind) + " " + entry.text.Std() + " " +
                            std::string(entry.subject.GetValueText().View()));
        return lines;
    }

    ResultsLog log_;
};

// The bytes of entries 2 to 4.
const Bytes kLastThreeEntries = Join({
    Hex("02 00 00 00  03 00 00 00"),
    Ascii("two"),
    Hex("00 00 00 00"),
    Hex("04 00 00 00  05 00 00 00"),
    Ascii("three"),
    kAssetSubjectBytes,
    Hex("03 00 00 00  04 00 00 00"),
    Ascii("four"),
    Hex("00 00 00 00"),
});

TEST_F(ResultsLogForm, WritingFromIndexTwoOfFive) {
    MemoryStream memory;
    log_.Write(memory.Stream(), 2);
    EXPECT_EQ(Contents(memory.Stream()),
              Join({Hex("00 00 00 00  03 00 00 00"), kLastThreeEntries}));
    EXPECT_TRUE(log_.AllReported());

    memory.Stream().Rewind();
    ResultsLog back;
    back.Read(memory.Stream());
    EXPECT_EQ(memory.Stream().GetError(), 0);
    EXPECT_EQ(Describe(back),
              (std::vector<std::string>{"2 two ", "4 three <kuid:1:2>", "3 four "}));
    EXPECT_EQ(back.WarningCount(), 1);
    EXPECT_EQ(back.ErrorCount(), 1);
    EXPECT_EQ(back.SuccessCount(), 1);
    EXPECT_FALSE(back.AllReported());
}

TEST_F(ResultsLogForm, WritingFromIndexZeroReadsBackTheWholeLog) {
    MemoryStream memory;
    log_.Write(memory.Stream(), 0);
    Bytes head = Join({Hex("00 00 00 00  05 00 00 00"), Hex("01 00 00 00  04 00 00 00"),
                       Ascii("zero"), Hex("00 00 00 00"), Hex("03 00 00 00  03 00 00 00"),
                       Ascii("one"), kAssetSubjectBytes});
    EXPECT_EQ(Contents(memory.Stream()), Join({head, kLastThreeEntries}));

    memory.Stream().Rewind();
    ResultsLog back;
    back.Read(memory.Stream());
    EXPECT_EQ(Describe(back), Describe(log_));
    EXPECT_EQ(back.ErrorCount(), 2);
}

TEST_F(ResultsLogForm, AFirstIndexOutsideTheLogWritesNoNegativeCount) {
    struct Case {
        int32_t first;
        Bytes head;
    };
    const Case cases[] = {
        {5, Hex("00 00 00 00  00 00 00 00")},
        {7, Hex("00 00 00 00  00 00 00 00")},
        {-1, Hex("00 00 00 00  05 00 00 00")},
    };
    for (const Case& c : cases) {
        MemoryStream memory;
        log_.Write(memory.Stream(), c.first);
        Bytes written = Contents(memory.Stream());
        ASSERT_GE(written.size(), 8u);
        EXPECT_EQ(Bytes(written.begin(), written.begin() + 8), c.head) << c.first;
    }
}

TEST_F(ResultsLogForm, EveryPrefixReadsWithoutCrashAndWithTheErrorSet) {
    MemoryStream memory;
    log_.Write(memory.Stream(), 0);
    Bytes full = Contents(memory.Stream());
    std::vector<std::string> all = Describe(log_);
    for (size_t cut = 0; cut < full.size(); ++cut) {
        MemoryStream prefix(Bytes(full.begin(), full.begin() + cut));
        ResultsLog back;
        back.Read(prefix.Stream());
        EXPECT_NE(prefix.Stream().GetError(), 0) << cut;
        std::vector<std::string> got = Describe(back);
        ASSERT_LT(got.size(), all.size()) << cut;
        EXPECT_EQ(got, std::vector<std::string>(all.begin(), all.begin() + got.size())) << cut;
    }
}

TEST_F(ResultsLogForm, MutatedStreamsReadWithoutCrash) {
    MemoryStream memory;
    log_.Write(memory.Stream(), 0);
    Bytes full = Contents(memory.Stream());
    std::mt19937 random(20240611);
    for (int round = 0; round < 2000; ++round) {
        Bytes mutated = full;
        for (int flips = 1 + round % 4; flips > 0; --flips)
            mutated[random() % mutated.size()] = static_cast<uint8_t>(random());
        MemoryStream damaged(mutated);
        ResultsLog back;
        back.Read(damaged.Stream());
        // Each entry takes at least 12 bytes.
        EXPECT_LE(back.EntryCount(), static_cast<int32_t>(full.size() / 12)) << round;
    }
}

TEST_F(ResultsLogForm, AGarbledCountStopsAtTheEndOfTheData) {
    Bytes bytes = Join({Hex("00 00 00 00  FF FF FF 7F"), Hex("02 00 00 00  03 00 00 00"),
                        Ascii("two"), Hex("00 00 00 00")});
    MemoryStream memory(bytes);
    ResultsLog back;
    back.Read(memory.Stream());
    EXPECT_EQ(Describe(back), std::vector<std::string>{"2 two "});
    EXPECT_EQ(memory.Stream().GetError(), TStream::kErrorShortRead);
}

struct Recorder : NuMessageRecipient {
    int32_t ForwardMessage(const NuMessageData& message) override {
        types.emplace_back(message.Type().View());
        return 0;
    }
    std::vector<std::string> types;
};

TEST_F(ResultsLogForm, AnotherVersionReadsNothingButStillBroadcasts) {
    Recorder recorder;
    NuMessageSubscription link(nullptr, &recorder);
    link.Connect(log_);
    MemoryStream memory(Hex("01 00 00 00  01 00 00 00  02 00 00 00  00 00 00 00  00 00 00 00"));
    log_.Read(memory.Stream());
    EXPECT_EQ(recorder.types, std::vector<std::string>{"list-updated"});
    EXPECT_EQ(log_.EntryCount(), 5);
    EXPECT_EQ(memory.Stream().Tell(), 4);
    EXPECT_FALSE(log_.AllReported());
}

} // namespace
