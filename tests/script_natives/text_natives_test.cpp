// The HTMLBuffer and StringTable natives: escaping and growth of the buffer, and the
// string table's look-up with its one-pass parameter expansion.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <map>

#include "foundation/text/interface_text.h"

#include "native_script_support.h"
#include "script_natives/gso_string_table.h"
#include "script_natives/html_buffer.h"
#include "script_natives/native_spec_access.h"
#include "script_natives/string_table_text.h"

namespace {

using nativetest::Int;

TEST(StringTableTextTest, ExpandsParametersInOnePass) {
    StringTableParameters parameters;
    parameters[0] = Kiv::PString("$1");
    parameters[1] = Kiv::PString("one");
    parameters[9] = Kiv::PString("$$");
    const struct {
        const char* text;
        const char* expanded;
    } cases[] = {
        {"$0", "$1"},              // an inserted parameter is not expanded again
        {"a$$b", "a$b"},           // "$$" keeps one "$"
        {"$$1", "$1"},             // ... and the search goes on after it
        {"end$", "end$"},          // a last "$" stays
        {"$10", "one0"},           // there is no parameter 10
        {"$x$2.", "$x."},          // another character keeps the "$"; an unset parameter is empty
        {"$9$9", "$$$$"},          // inserted text is skipped
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ExpandStringTableText(c.text, parameters), c.expanded) << c.text;
}

TEST(HTMLBufferTest, GrowsToTheAppendPlusTwiceTheOldSize) {
    HTMLBuffer buffer;
    EXPECT_EQ(buffer.Capacity(), 0u);
    buffer.Append("abcde", 5);
    EXPECT_EQ(buffer.Capacity(), 5u);
    buffer.Append("fgh", 3);
    EXPECT_EQ(buffer.Capacity(), 13u);
    buffer.Append("ijklm", 5);
    EXPECT_EQ(buffer.Capacity(), 13u) << "it fits exactly";
    buffer.Append("n", 1);
    EXPECT_EQ(buffer.Capacity(), 27u);
    buffer.Append(nullptr, 4);
    buffer.Append("x", 0);
    EXPECT_EQ(buffer.GetText().View(), "abcdefghijklmn");
    buffer.Clear();
    EXPECT_EQ(buffer.Capacity(), 0u);
    EXPECT_TRUE(buffer.GetText().IsEmpty());
}

TEST(HTMLBufferTest, TextEndsAtTheFirstNul) {
    HTMLBuffer buffer;
    buffer.Append("ab\0cd", 5);
    EXPECT_EQ(buffer.Length(), 5u);
    EXPECT_EQ(buffer.GetText().View(), "ab");
}

constexpr const char* kScript = R"(include "htmlbuffer.gs"
include "stringtable.gs"
class Test {
  public string Escaped(string text) { HTMLBuffer b = HTMLBufferStatic.Construct(); b.Escape(text); return b.AsString(); }
  public string Printed(string text) { HTMLBuffer b = HTMLBufferStatic.Construct(); b.Print(text); b.Print(text); return b.AsString(); }
  public int EmptyFlags(string text) {
    HTMLBuffer b = HTMLBufferStatic.Construct();
    int flags = 0;
    if (b.IsEmpty()) flags = flags + 1;
    b.Print(text); if (b.IsEmpty()) flags = flags + 10;
    b.Escape(text); if (b.IsEmpty()) flags = flags + 100;
    b.Clear(); if (b.IsEmpty()) flags = flags + 1000;
    return flags;
  }
  public void Escape(string text) { HTMLBuffer b = HTMLBufferStatic.Construct(); b.Escape(text); }
  public void Print(string text) { HTMLBuffer b = HTMLBufferStatic.Construct(); b.Print(text); }
  public string Lookup(StringTable t, string key, string p0, string p1) {
    t.SetParam(0, p0); t.SetParam(1, p1);
    return t.GetString(key);
  }
  public string Cleared(StringTable t, string key) { t.SetParam(0, "x"); t.ClearParams(); return t.GetString(key); }
  public string Language(StringTable t) { return t.GetLanguage(); }
  public void SetParam(StringTable t, int index) { t.SetParam(index, "x"); }
};
)";

// Specs whose config holds a "string-table" container, with their uses counted.
class TableSpecs : public NativeSpecAccess {
  public:
    KodrinBaseSpec* GetKodrinBaseSpec(const KUID&) override { return nullptr; }
    void AddUse(KodrinBaseSpec* spec) override { ++uses[spec]; }
    void ReleaseUse(KodrinBaseSpec* spec) override { --uses[spec]; }
    ACSChunkRef GetConfig(KodrinBaseSpec*) override { return config; }
    bool IsLocallyModified(KodrinBaseSpec*) override { return false; }

    ACSChunkRef config;
    std::map<KodrinBaseSpec*, int> uses;
};

class TextNativesTest : public nativetest::ScriptCallTest {
  protected:
    void SetUp() override {
        LoadScript(kScript);
        ACSChunkRef table;
        table.SetNamedTagString(Kiv::PString("greeting"), "Hello $0, $1$$ $10 $");
        table.SetNamedTagString(Kiv::PString("empty"), "");
        specs_.config.SetNamedSoup(Kiv::PString("string-table"), table);
        SetNativeSpecs(&specs_);
    }
    void TearDown() override {
        ScriptCallTest::TearDown();
        SetNativeSpecs(nullptr);
        for (const auto& [spec, uses] : specs_.uses) EXPECT_EQ(uses, 0) << "every table gave its use back";
    }

    GSSlot Text(const char* text) {
        return GSPointerSlot(text ? (new GSString(&context_, text))->GetReference() : nullptr);
    }
    GSSlot Table() {
        return GSPointerSlot(GSOStringTable::Construct(&context_, reinterpret_cast<KodrinBaseSpec*>(&specs_))->GetInstance());
    }

    TableSpecs specs_;
};

TEST_F(TextNativesTest, EscapingTurnsLineEndsAndMarkupIntoHTML) {
    const struct {
        const char* text;
        const char* html;
    } cases[] = {
        {"a\r\nb", "a<br>b"},     {"a\n\rb", "a<br>b"},  {"a\n\nb", "a<br><br>b"},
        {"\r\r", "<br><br>"},     {"<&>", "&lt;&amp;&gt;"}, {"plain \"text\"", "plain \"text\""},
    };
    for (const auto& c : cases) EXPECT_EQ(CallString("$string@Test::Escaped(string)", {Text(c.text)}), c.html) << c.text;
    EXPECT_EQ(CallString("$string@Test::Printed(string)", {Text("<b>\n")}), "<b>\n<b>\n");
}

// The buffer's text comes back as a string of the calling script's context, so the context
// counts it and ends it with its other objects.
TEST_F(TextNativesTest, AsStringMakesAStringOfTheCallersContext) {
    const size_t before = context_.Memory().InUse();
    GSSlot result{};
    ASSERT_TRUE(Call("$string@Test::Escaped(string)", &result, {Text(std::string(1000, 'x').c_str())}));
    auto* reference = static_cast<GSSlot*>(result.p);
    EXPECT_EQ(GSContextOf(reference), &context_);
    EXPECT_GE(context_.Memory().InUse(), before + 1000);
    GSReleaseReference(reference);
    EXPECT_EQ(context_.Memory().InUse(), before);
}

TEST_F(TextNativesTest, OnlyEscapingClearsTheEmptyFlag) {
    EXPECT_EQ(CallInt("$int@Test::EmptyFlags(string)", {Text("x")}), 1011);
}

TEST_F(TextNativesTest, PrintAndEscapeRefuseMissingText) {
    ExpectStopped("$void@Test::Print(string)", "empty string at parameter 1", {Text("")});
    ExpectStopped("$void@Test::Print(string)", "null string at parameter 1", {Text(nullptr)});
    ExpectStopped("$void@Test::Escape(string)", "empty string at parameter 1", {Text("")});
    ExpectStopped("$void@Test::Escape(string)", "null string at parameter 1", {Text(nullptr)});
}

TEST_F(TextNativesTest, StringTablesExpandTheirTexts) {
    const std::string lookup = "$string@Test::Lookup(StringTable,string,string,string)";
    EXPECT_EQ(CallString(lookup, {Table(), Text("GREETING"), Text("$1"), Text("you")}), "Hello $1, you$ you0 $");
    EXPECT_EQ(CallString(lookup, {Table(), Text("greeting"), Text(nullptr), Text("")}), "Hello , $ 0 $");
    EXPECT_EQ(CallString(lookup, {Table(), Text("missing"), Text("a"), Text("b")}), "");
    EXPECT_EQ(CallString(lookup, {Table(), Text(""), Text("a"), Text("b")}), "");
    EXPECT_EQ(CallString(lookup, {Table(), Text(nullptr), Text("a"), Text("b")}), "");
    EXPECT_EQ(CallString(lookup, {Table(), Text("empty"), Text("a"), Text("b")}), "");
    EXPECT_EQ(CallString("$string@Test::Cleared(StringTable,string)", {Table(), Text("greeting")}), "Hello , $ 0 $");
}

// An interface text of the test's own, read from "data" below a scratch working folder: an
// empty language text and one scenario string.
class InterfaceTextFolder {
  public:
    InterfaceTextFolder() : previous_(std::filesystem::current_path()) {
        ACSChunkRef scenario;
        scenario.SetNamedTagString(Kiv::PString("from-scenario"), "scenario $0");
        ACSChunkRef texts;
        texts.SetNamedTagString(Kiv::PString("$main_language"), "");
        texts.SetNamedSoup(Kiv::PString("scenario_text"), scenario);
        std::filesystem::create_directories(std::filesystem::path(folder_.Path()) / "data");
        std::filesystem::current_path(folder_.Path());
        InterfaceTextDB::SetLanguage(nullptr);
        EXPECT_TRUE(texts.SaveToFile("data", InterfaceTextDB::FileName().c_str(), nullptr));
        InterfaceTextDB::Invalidate();
    }
    ~InterfaceTextFolder() {
        std::filesystem::current_path(previous_);
        InterfaceTextDB::Invalidate();
    }

  private:
    gstest::ScratchFolder folder_;
    std::filesystem::path previous_;
};

TEST_F(TextNativesTest, MissingKeysAndTheLanguageComeFromTheInterfaceText) {
    InterfaceTextFolder texts;
    EXPECT_EQ(CallString("$string@Test::Lookup(StringTable,string,string,string)",
                         {Table(), Text("From-Scenario"), Text("a"), Text("b")}),
              "scenario a");
    EXPECT_EQ(CallString("$string@Test::Language(StringTable)", {Table()}), "english") << "for an empty text";
}

TEST_F(TextNativesTest, ParameterIndexesOutsideZeroToNineAreRefused) {
    for (int32_t index : {10, -1}) {
        ExpectStopped("$void@Test::SetParam(StringTable,int)",
                      "StringTable.SetParam> index (" + std::to_string(index) + ") out of range (0..9)",
                      {Table(), Int(index)});
    }
}

}  // namespace
