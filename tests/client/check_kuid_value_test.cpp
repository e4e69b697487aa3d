// CheckKUIDValue against the in-process stand-in daemon: the tag's value resolved (26) and
// its record asked with the categories (21, mask 4), each reply written by hand; findings
// name the resolved KUID and go to the tag.
#include "kav_requests_test_support.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "foundation/text/interface_text.h"
#include "validation/darodi/check_kuid_value.h"
#include "validation/darodi/container.h"
#include "validation/darodi/error_handler.h"
#include "validation/darodi/tag.h"

namespace {

namespace fs = std::filesystem;

const char* const kTexts = "$tet_val_nullkuidwarn                   \"null %s\"\n"
                           "$tet_val_kuidnotindatabase              \"missing %s\"\n"
                           "$tet_val_asset_not_local                \"foreign %s\"\n"
                           "$tet_val_missmatchcategory              \"category %s %s\"\n";

// A record of request 21: the first flag byte and the category text, the rest at zero.
Bytes Record(uint8_t flags, const std::string& category) {
    Bytes out = Concat({KuidBytes(1, 2, 3), Str("Bogey"), Str(""), Str("")});
    for (int bit = 0; bit < 8; ++bit) out.push_back((flags >> bit) & 1);
    return Concat({out, Bytes(8, 0), Bytes(2, 0), Le32(0), PStr(""), Str(""), Le32(0), PStr(""),
                   Str(category), Bytes(3, 0), Le32(0), Le32(0), Le64(0), Le64(0),
                   KuidBytes(-1, -1, 127), Byte(1)});
}

constexpr uint8_t kLocal = 0x08;

class CheckKUIDValueTest : public KAVRequestsTest {
  protected:
    void SetUp() override {
        KAVRequestsTest::SetUp();
        char pattern[] = "/tmp/check_kuid_value_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        fs::create_directories(folder_ + "/data");
        std::ofstream(folder_ + "/data/interfacetext.txt") << kTexts;
        previous_ = fs::current_path();
        fs::current_path(folder_);
        InterfaceTextDB::Invalidate();
        DAROdi::ErrorHandler::CreateInstance();
        container_.name = Kiv::PString("traincar");
        tag_.parent = &container_;
    }
    void TearDown() override {
        DAROdi::ErrorHandler::DestroyInstance();
        fs::current_path(previous_);
        InterfaceTextDB::Invalidate();
        fs::remove_all(folder_);
        KAVRequestsTest::TearDown();
    }
    void SetTag(const char* name, const char* value, const char* pattern) {
        tag_.name = Kiv::PString(name);
        tag_.value = Kiv::PString(value);
        tag_.categoryPattern = Kiv::PString(pattern);
    }
    // The findings as "E text" or "W text"; each must be about the tag.
    std::vector<std::string> Findings() {
        std::vector<std::string> found;
        for (const DAROdi::ErrorEntry& entry : DAROdi::ErrorHandler::Instance()->GetEntries()) {
            EXPECT_EQ(entry.tag, &tag_);
            const char* mark = entry.severity == DAROdi::Severity::kError ? "E " : "W ";
            found.push_back(mark + std::string(entry.text.View()));
        }
        return found;
    }

    std::string folder_;
    fs::path previous_;
    DAROdi::Container container_;
    DAROdi::Tag tag_;
};

// Checks that need no daemon: the obsolete table, and values that name no asset.
TEST_F(CheckKUIDValueTest, ObsoleteTableAndNullValuesAskNothing) {
    struct Case {
        const char* container;
        const char* value;
        std::vector<std::string> findings;
    };
    const Case cases[] = {
        {"obsolete-table", "<kuid:1:2>", {}},
        {"obsolete-table", "", {}},
        {"traincar", "", {"W null bogey"}},
        {"traincar", "not a kuid", {"W null bogey"}},
        {"traincar", "<NULL>", {"W null bogey"}},
    };
    for (const Case& c : cases) {
        DAROdi::ErrorHandler::Instance()->Clear();
        container_.name = Kiv::PString(c.container);
        SetTag("bogey", c.value, "TR;CMP;BOGY");
        EXPECT_TRUE(DAROdi::CheckKUIDValue(tag_)) << c.value;
        EXPECT_EQ(Findings(), c.findings) << c.container << " " << c.value;
    }
    EXPECT_TRUE(Payloads(26).empty());
    EXPECT_TRUE(Payloads(21).empty());
}

// The daemon resolves <kuid:1:2> to <kuid2:1:2:3>; the record decides the outcome.
TEST_F(CheckKUIDValueTest, RecordOutcomesTable) {
    struct Case {
        const char* name;
        const char* pattern;
        Bytes record;
        bool passed;
        std::vector<std::string> findings;
    };
    const Case cases[] = {
        {"bogey", "TR;CMP;BOGY", Record(kLocal, "TR;CMP;BOGY"), true, {}},
        {"bogey", "TR;CMP;BOGY", Record(kLocal, "TR;CMP;WAGN"), false,
         {"E category <kuid2:1:2:3> bogey"}},
        {"bogey", "TR;CMP;BOGY", Record(0x01, "TR;CMP;WAGN"), true, {"W foreign <kuid2:1:2:3>"}},
        {"bogey", "TR;CMP;BOGY", {}, true, {"W missing <kuid2:1:2:3>"}},
        {"bogey", "", Record(kLocal, "TR;CMP;WAGN"), true, {}},
        {"mesh-asset", "TR;CMP;BOGY", Record(kLocal, "SC"), true, {}},
        {"bogey", "TR;CMP;BOGY|SC", Record(kLocal, "SC"), true, {}},
    };
    Answer(26, KuidBytes(1, 2, 3));
    for (const Case& c : cases) {
        DAROdi::ErrorHandler::Instance()->Clear();
        Answer(21, c.record);
        SetTag(c.name, "<kuid:1:2>", c.pattern);
        EXPECT_EQ(DAROdi::CheckKUIDValue(tag_), c.passed) << c.name << " " << c.pattern;
        EXPECT_EQ(Findings(), c.findings) << c.name << " " << c.pattern;
    }
    const std::vector<Bytes> resolves = Payloads(26);
    const std::vector<Bytes> records = Payloads(21);
    ASSERT_EQ(resolves.size(), std::size(cases));
    ASSERT_EQ(records.size(), std::size(cases));
    EXPECT_EQ(resolves[0], KuidBytes(1, 2, 0));
    EXPECT_EQ(records[0], Concat({KuidBytes(1, 2, 3), Le32(4)}));
}

} // namespace
