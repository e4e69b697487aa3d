// `generatekuid`, `listbuilds`, `authors` and `searchbycategory` against the in-process
// stand-in daemon: the filters sent (their bytes written by hand), the lines printed, the
// files written and the results.
#include <fstream>
#include <map>
#include <sstream>

#include "command_test_support.h"

namespace {

// Filter nodes on the wire: the tag as an int32, then the body.
const Bytes kGroupTag = Le32(0x67727570);   // 'grup'
const Bytes kStringTag = Le32(0x7374726E);  // 'strn'
const Bytes kBoolTag = Le32(0x626F6F6C);    // 'bool'

Bytes GroupOf(uint32_t children) { return Concat({kGroupTag, Byte(1), Byte(0), Le32(children)}); }
Bytes BoolNode(uint32_t type) { return Concat({kBoolTag, Le32(type)}); }
Bytes TextNode(uint32_t type, const std::string& value) {
    return Concat({kStringTag, Le32(type), PStr(value), Byte(0)});
}

Bytes KuidList(std::initializer_list<Bytes> kuids) {
    Bytes out = Le32(static_cast<uint32_t>(kuids.size()));
    for (const Bytes& kuid : kuids) out.insert(out.end(), kuid.begin(), kuid.end());
    return out;
}

std::string FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST_F(CommandTest, GenerateKuidPrintsTheThreeNumberForm) {
    const std::tuple<Bytes, int, const char*> cases[] = {
        {KuidBytes(1234, 99, 0), 0, "<KUID2:1234:99:0>\n"},
        {KuidBytes(-5, 7, 3), 0, "<KUID2:-5:7:3>\n"},
        {KuidBytes(-1, -1, 127), -1, "<KUID2:-1:4294967295:127>\n"},
    };
    for (const auto& [reply, result, line] : cases) {
        ForgetPayloads();
        Answer(58, reply);
        EXPECT_EQ(Run({"generatekuid"}), result) << line;
        EXPECT_EQ(out_, line);
        EXPECT_EQ(OnlyPayload(58), Bytes{});
        EXPECT_TRUE(LogLines().empty());
    }
    TakeLinkDown();
    EXPECT_EQ(Run({"generatekuid"}), -1);
    EXPECT_EQ(out_, "<KUID2:-1:4294967295:127>\n");
}

// The file keeps the name as typed; the list goes in with the program's CR LF line end.
TEST_F(CommandTest, ListBuildsWritesTheDaemonsListToTheFile) {
    TemporaryFolder folder;
    Answer(253, PStr("49922\n49933"));
    const std::string path = folder.Path("Builds.TXT");
    EXPECT_EQ(Run({"listbuilds", path.c_str()}), 0);
    EXPECT_EQ(FileBytes(path), "49922\n49933\r\n");
    EXPECT_EQ(OnlyPayload(253), Bytes{});
    EXPECT_TRUE(LogLines().empty());
    EXPECT_EQ(out_, "");
}

TEST_F(CommandTest, ListBuildsToAPathThatCannotBeWrittenAsksNothing) {
    TemporaryFolder folder;
    RecordOnly({253});
    for (const std::string& path : {folder.Path("missing/builds.txt"), folder.Path()}) {
        EXPECT_EQ(Run({"listbuilds", path.c_str()}), -1) << path;
        EXPECT_EQ(LogLines(), std::vector<std::string>{"- <NULL> : Failed to open output file."});
    }
    EXPECT_TRUE(Payloads(253).empty());
}

class AuthorsTest : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        KAVClient::InitUserNameCache();
    }
    void TearDown() override {
        KAVClient::ClearUserNameCache();
        CommandTest::TearDown();
    }
};

// Each name once, in byte order; an unknown asset and an author without a name add none.
TEST_F(AuthorsTest, AuthorsListsEachNameOnceInByteOrder) {
    const std::map<int32_t, std::pair<int32_t, bool>> authorOf = {
        // content id: author id, known
        {1, {1500, true}}, {2, {1600, true}}, {3, {1500, true}}, {4, {1700, true}},
        {5, {1800, true}}, {6, {1900, true}}, {7, {1600, false}}, {8, {2000, true}}};
    const std::map<int32_t, std::string> names = {
        {1500, "Zed"}, {1600, "alice"}, {1700, ""}, {1800, "_under"}, {1900, "9lives"},
        {2000, "Alice"}};
    Answer(2, KuidList({KuidBytes(77, 1, 0), KuidBytes(77, 2, 0), KuidBytes(77, 3, 0),
                        KuidBytes(77, 4, 0), KuidBytes(77, 5, 0), KuidBytes(77, 6, 0),
                        KuidBytes(77, 7, 0), KuidBytes(77, 8, 0)}));
    AnswerEach(21, [&authorOf](const DaemonRequest& request, DaemonResponse& response) {
        const auto& [author, known] = authorOf.at(PayloadKUID(request.payload).contentId);
        response.reply = AssetRecord({PayloadKUID(request.payload), "", "", 0x08, 0, author, known});
    });
    AnswerEach(90, [&names](const DaemonRequest& request, DaemonResponse& response) {
        const int32_t author = static_cast<int32_t>(LoadLe32(request.payload, 0));
        response.reply = Concat({Le32(static_cast<uint32_t>(author)), PStr(names.at(author))});
    });
    EXPECT_EQ(Run({"authors"}), 0);
    EXPECT_EQ(out_, "9lives\n_under\nalice\nzed\n");
    EXPECT_EQ(OnlyPayload(2), Concat({GroupOf(3), BoolNode(0), BoolNode(3), BoolNode(10)}));
    const std::vector<Bytes> records = Payloads(21);
    ASSERT_EQ(records.size(), 8u);
    for (const Bytes& record : records) EXPECT_EQ(LoadLe32(record, 8), 0xFFFFFFFFu);
    EXPECT_EQ(Payloads(90).size(), 6u) << "the unknown asset's author is not asked for";
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(AuthorsTest, AuthorsOfNothingPrintsNothingAndSucceeds) {
    Answer(2, KuidList({}));
    EXPECT_EQ(Run({"authors"}), 0);
    EXPECT_EQ(out_, "");
    TakeLinkDown();
    EXPECT_EQ(Run({"authors"}), 0);
    EXPECT_EQ(out_, "");
}

struct SearchCase {
    std::vector<const char*> words;
    Bytes filter;
};

TEST_F(CommandTest, SearchByCategorySendsTheUpperCasedTextAndNumbersTheMatches) {
    const SearchCase cases[] = {
        {{"searchbycategory", "cmp;Mesh|bd"},
         Concat({GroupOf(2), TextNode(1, "CMP;MESH|BD"), BoolNode(0)})},
        {{"searchbycategory", "-a", "Bd;-actv|VE"}, Concat({GroupOf(1), TextNode(1, "BD;-ACTV|VE")})},
        {{"SearchByCategory", "-A", "scen"}, Concat({GroupOf(1), TextNode(1, "SCEN")})},
    };
    for (const SearchCase& c : cases) {
        ForgetPayloads();
        Answer(2, KuidList({KuidBytes(77, 8, 0), KuidBytes(1234, 56, 2)}));
        EXPECT_EQ(Run(c.words), 0) << c.words[1];
        EXPECT_EQ(OnlyPayload(2), c.filter) << c.words[1];
        EXPECT_EQ(out_, "+ 2 : assets matching the specified criteria\n"
                        "+ #0 : <kuid:77:8>\n"
                        "+ #1 : <kuid2:1234:56:2>\n");
        EXPECT_TRUE(LogLines().empty());
    }
}

// A search that finds nothing, or has no category to search for, fails and says why.
TEST_F(CommandTest, SearchByCategoryMatchingNothingOrWithoutCategoryFailsWithAReason) {
    Answer(2, KuidList({}));
    const struct {
        std::vector<const char*> words;
        size_t queries;
        const char* line;
    } cases[] = {
        {{"searchbycategory", "-a", "nothing"}, 1, "- <NULL> : No assets match the specified criteria."},
        {{"searchbycategory", "nothing"}, 1, "- <NULL> : No assets match the specified criteria."},
        // An empty pattern would hold for every asset: it is not sent.
        {{"searchbycategory", ""}, 0, "- <NULL> : Missing category parameter."},
        {{"searchbycategory"}, 0, "- <NULL> : Missing category parameter."},
    };
    for (const auto& c : cases) {
        ForgetPayloads();
        EXPECT_EQ(Run(c.words), -1) << c.line;
        EXPECT_EQ(Payloads(2).size(), c.queries) << c.line;
        EXPECT_EQ(out_, "");
        EXPECT_EQ(LogLines(), std::vector<std::string>{c.line});
    }
}

// A search whose link to the daemon is gone says so, instead of claiming nothing matched.
TEST_F(CommandTest, SearchByCategoryOnALostLinkSaysTheSearchDidNotRun) {
    TakeLinkDown();
    EXPECT_EQ(Run({"searchbycategory", "scen"}), -1);
    EXPECT_EQ(out_, "");
    EXPECT_EQ(LogLines(), std::vector<std::string>{
        "- <NULL> : The search did not run: the connection to the asset database was lost."});
}

} // namespace
