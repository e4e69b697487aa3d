// Interface text: the file each language code chooses, the ".txt" stand-in for a compiled
// file that is missing or damaged, lookups of present, absent and empty keys, the cap of
// ten logged misses, reloading after Invalidate, and lookups from several threads while
// the table loads and reloads. Each test works in a fresh installation folder of its own,
// made the working folder as start-up does.
#include "foundation/text/interface_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <latch>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/log.h"
#include "engine/options.h"
#include "foundation/jobs/resource_lock.h"
#include "foundation/soup/chunk_ref.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kCompiledFailed =
    "InterfaceTextDB> failed to load compiled interfacetext file";

class InterfaceTextTest : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/interface_text_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        fs::create_directory(root_ / "data");
        previousFolder_ = fs::current_path();
        fs::current_path(root_);
        Kiv::Options options;
        options.ProcessRaw(("-LogFile=" + (root_ / "log.txt").string()).c_str());
        ASSERT_TRUE(Kiv::Log::Init(options));
        InterfaceTextDB::SetLanguage(nullptr);
        InterfaceTextDB::Invalidate();
    }

    void TearDown() override {
        InterfaceTextDB::SetLanguage(nullptr);
        InterfaceTextDB::Invalidate();
        Kiv::Log::Shutdown();
        fs::current_path(previousFolder_);
        fs::remove_all(root_);
    }

    // A compiled file holding each key with its text.
    void WriteCompiled(const char* name, const std::map<std::string, std::string>& texts) {
        ACSChunkRef soup;
        for (const auto& [key, text] : texts)
            soup.SetNamedTagString(Kiv::PString(key.c_str()), text.c_str());
        ASSERT_TRUE(soup.SaveToFile("data", name, nullptr)) << name;
    }

    void WriteRaw(const std::string& name, const std::string& bytes) {
        std::ofstream(root_ / "data" / name, std::ios::binary) << bytes;
    }

    void Remove(const std::string& name) { fs::remove(root_ / "data" / name); }

    std::vector<std::string> LogLines() const {
        std::ifstream in(root_ / "log.txt");
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    size_t LogCount(const std::string& part) const {
        const std::vector<std::string> lines = LogLines();
        return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.find(part) != std::string::npos;
        });
    }

    static std::string Text(const char* key, bool logMisses = true) {
        return std::string(InterfaceTextDB::Instance().GetString(key, logMisses).View());
    }

    fs::path root_;
    fs::path previousFolder_;
};

TEST_F(InterfaceTextTest, EachLanguageCodeLoadsItsFile) {
    const char* files[] = {
        "interfacetext.chump",    "interfaceGerman.chump",  "interfaceFrench.chump",
        "interfaceItalian.chump", "interfaceRussian.chump", "interfaceCzech.chump",
        "interfacePolish.chump",  "interfaceSpanish.chump", "interfaceChinese.chump",
        "interfaceDutch.chump",   "interfaceKorean.chump",  "interfaceHungarian.chump"};
    for (const char* file : files)
        WriteCompiled(file, {{"$which", file}});

    struct Case {
        const char* code;
        const char* file; // null: the choice made before stays
    } cases[] = {
        {"de", "interfaceGerman.chump"},
        {"DE", "interfaceGerman.chump"},
        {"Fr", "interfaceFrench.chump"},
        {"IT", "interfaceItalian.chump"},
        {"ru", "interfaceRussian.chump"},
        {"CZ", "interfaceCzech.chump"},
        {"pl", "interfacePolish.chump"},
        {"ES", "interfaceSpanish.chump"},
        {"cn", "interfaceChinese.chump"},
        {"NL", "interfaceDutch.chump"},
        {"kr", "interfaceKorean.chump"},
        {"HU", "interfaceHungarian.chump"},
        {"EN", "interfacetext.chump"},
        {"au", "interfacetext.chump"},
        {"US", "interfacetext.chump"},
        {"uk", "interfacetext.chump"},
        {nullptr, "interfacetext.chump"},
        {"", "interfacetext.chump"},
        {"SE", nullptr},
        {"CH", nullptr},
        {"xx", nullptr},
        {"GERMAN", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code ? c.code : "(null)");
        const bool german = c.file && std::string(c.file) == "interfaceGerman.chump";
        const char* before = german ? "interfaceFrench.chump" : "interfaceGerman.chump";
        InterfaceTextDB::SetLanguage(german ? "FR" : "DE");
        InterfaceTextDB::SetLanguage(c.code);
        InterfaceTextDB::Invalidate();
        const char* expected = c.file ? c.file : before;
        EXPECT_EQ(Text("$which"), expected);
        EXPECT_EQ(InterfaceTextDB::FileName().View(), expected);
    }
    EXPECT_EQ(LogCount("InterfaceTextDB>"), 0u);
}

TEST_F(InterfaceTextTest, TheTextFormStandsInForAMissingOrDamagedCompiledFile) {
    WriteRaw("interfacetext.txt", "$greeting  \"Hello\"\r\n$farewell \"Goodbye\"\r\n");
    struct Case {
        const char* name;
        const char* compiled; // null: no compiled file
        const char* greeting;
        size_t fallbackLines;
    } cases[] = {
        {"no compiled file", nullptr, "Hello", 1},
        {"not a compiled soup", "ACS?this is not a soup", "Hello", 1},
        {"an empty compiled file", "", "Hello", 1},
        {"a readable compiled file", "compiled", "Compiled", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Remove("interfacetext.chump");
        if (c.compiled && std::string(c.compiled) == "compiled")
            WriteCompiled("interfacetext.chump", {{"$greeting", "Compiled"}});
        else if (c.compiled)
            WriteRaw("interfacetext.chump", c.compiled);
        const size_t before = LogCount(kCompiledFailed);
        InterfaceTextDB::Invalidate();
        EXPECT_EQ(Text("$greeting"), c.greeting);
        EXPECT_EQ(LogCount(kCompiledFailed) - before, c.fallbackLines);
    }
    EXPECT_EQ(LogCount("Unable to read interface file"), 0u);
}

TEST_F(InterfaceTextTest, NoReadableFileEmptiesTheTable) {
    WriteRaw("interfacetext.txt", "$greeting \"Hello\"\r\nscenario_text\r\n{\r\n$s \"S\"\r\n}\r\n");
    ASSERT_EQ(Text("$greeting"), "Hello");
    ASSERT_EQ(InterfaceTextDB::Instance().GetScenarioString("$s").View(), "S");

    Remove("interfacetext.txt");
    InterfaceTextDB::Invalidate();
    EXPECT_EQ(Text("$greeting"), "$greeting");
    EXPECT_EQ(Text("$greeting", false), "");
    EXPECT_EQ(InterfaceTextDB::Instance().GetScenarioString("$s").View(), "");
    EXPECT_EQ(LogCount(kCompiledFailed), 2u);
    EXPECT_EQ(LogCount("InterfaceTextDB> Unable to read interface file 'interfacetext.chump'"), 1u);
}

TEST_F(InterfaceTextTest, LookupsGiveTheTextTheKeyOrNothing) {
    WriteRaw("interfacetext.txt", "$greeting \"Hello\"\r\n"
                                  "$count 12\r\n"
                                  "$blank \"\"\r\n"
                                  "scenario_text\r\n{\r\n$scene \"On the line\"\r\n}\r\n");
    struct Case {
        const char* key;
        bool logMisses;
        const char* text;
    } cases[] = {
        {"$greeting", true, "Hello"},
        {"$greeting", false, "Hello"},
        {"$count", true, "12"},
        {"$absent", true, "$absent"},
        {"$absent", false, ""},
        {"$blank", true, "$blank"},
        {"scenario_text", true, "scenario_text"}, // a container has no text
        {"$scene", true, "$scene"},               // only in the scenario part
        {"$GREETING", true, "$GREETING"},         // keys are exact
        {"", true, ""},
        {nullptr, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key ? c.key : "(null)");
        EXPECT_EQ(Text(c.key, c.logMisses), c.text);
    }

    const InterfaceTextDB& table = InterfaceTextDB::Instance();
    EXPECT_EQ(table.GetScenarioString("$scene").View(), "On the line");
    EXPECT_EQ(table.GetScenarioString("$greeting").View(), "");
    EXPECT_EQ(table.GetScenarioString("").View(), "");
    EXPECT_EQ(GetInterfaceText("$greeting"), "Hello");
    EXPECT_EQ(GetInterfaceText("$absent"), "$absent");
}

// Each load takes the three named containers of the new file, shared with the root; a
// file without one, or with a value of that name, leaves that handle empty.
TEST_F(InterfaceTextTest, EachLoadTakesTheSubSoupsOfTheNewFile) {
    WriteRaw("interfacetext.txt", "pelmo_map_text\r\n{\r\n$m \"Map\"\r\n}\r\n"
                                  "pelmo_spec_text\r\n{\r\n$p \"Spec\"\r\n}\r\n"
                                  "scenario_text\r\n{\r\n$s \"Scene\"\r\n}\r\n");
    {
        const InterfaceTextDB& table = InterfaceTextDB::Instance();
        EXPECT_EQ(table.PelmoMapText().GetNamedTag("$m"), "Map");
        EXPECT_EQ(table.PelmoSpecText().GetNamedTag("$p"), "Spec");
        EXPECT_EQ(table.GetScenarioString("$s").View(), "Scene");
        EXPECT_EQ(table.PelmoMapText().CountTags(), 1);
        EXPECT_EQ(table.PelmoSpecText().GetNamedTag("$m"), "");
    }

    WriteRaw("interfacetext.txt", "pelmo_map_text \"a value, no container\"\r\n"
                                  "pelmo_spec_text\r\n{\r\n$q \"New spec\"\r\n}\r\n");
    InterfaceTextDB::Invalidate();
    const InterfaceTextDB& table = InterfaceTextDB::Instance();
    EXPECT_TRUE(table.PelmoMapText().IsNull());
    EXPECT_EQ(table.PelmoMapText().Get(), nullptr);
    EXPECT_EQ(table.PelmoSpecText().GetNamedTag("$q"), "New spec");
    EXPECT_EQ(table.PelmoSpecText().GetNamedTag("$p"), "");
    EXPECT_EQ(table.GetScenarioString("$s").View(), "");

    Remove("interfacetext.txt");
    InterfaceTextDB::Invalidate();
    EXPECT_EQ(InterfaceTextDB::Instance().PelmoSpecText().Get(), nullptr);
}

TEST_F(InterfaceTextTest, AtMostTenMissesAreLoggedInAProcess) {
    WriteRaw("interfacetext.txt", "$greeting \"Hello\"\r\n");
    const int32_t loggedBefore = InterfaceTextDB::LoggedMisses();
    ASSERT_LE(loggedBefore, 10);
    for (int i = 0; i < 12; ++i) {
        const std::string key = "$miss" + std::to_string(i);
        EXPECT_EQ(Text(key.c_str()), key);
        EXPECT_EQ(Text(key.c_str(), false), "");
    }
    EXPECT_EQ(InterfaceTextDB::LoggedMisses(), 10);
    EXPECT_EQ(LogCount("InterfaceTextDB::GetString> Tag '$miss"), size_t(10 - loggedBefore));
    if (loggedBefore == 0) {
        EXPECT_EQ(LogCount("InterfaceTextDB::GetString> Tag '$miss0' not found in "
                           "'interfacetext.chump'"),
                  1u);
        EXPECT_EQ(LogCount("'$miss10'"), 0u);
    }
}

TEST_F(InterfaceTextTest, ALanguageTakesEffectAtTheNextLoad) {
    WriteCompiled("interfacetext.chump", {{"$greeting", "Hello"}});
    WriteCompiled("interfaceGerman.chump", {{"$greeting", "Hallo"}});
    ASSERT_EQ(Text("$greeting"), "Hello");

    InterfaceTextDB::SetLanguage("de");
    EXPECT_EQ(Text("$greeting"), "Hello");
    InterfaceTextDB::Invalidate();
    EXPECT_EQ(Text("$greeting"), "Hallo");

    WriteCompiled("interfaceGerman.chump", {{"$greeting", "Guten Tag"}});
    EXPECT_EQ(Text("$greeting"), "Hallo");
    InterfaceTextDB::Invalidate();
    EXPECT_EQ(Text("$greeting"), "Guten Tag");
}

// A language takes the English text of every key its own file lacks, and all of them when
// it ships no file at all; a key English lacks too is still shown as the key.
TEST_F(InterfaceTextTest, ALanguageWithoutItsOwnTextFallsBackToEnglish) {
    WriteRaw("interfacetext.txt", "$installed \"Installed\"\r\n$greeting \"Hello\"\r\n");
    WriteCompiled("interfaceGerman.chump", {{"$greeting", "Hallo"}});
    struct Case {
        const char* code;
        const char* key;
        bool logMisses;
        const char* text;
    } cases[] = {
        {"FR", "$installed", true, "Installed"}, // no French file
        {"FR", "$absent", true, "$absent"},
        {"FR", "$absent", false, ""},
        {"DE", "$greeting", true, "Hallo"},
        {"DE", "$installed", true, "Installed"}, // German lacks it
        {"DE", "$installed", false, "Installed"},
        {"DE", "$absent", true, "$absent"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.code) + " " + c.key);
        InterfaceTextDB::SetLanguage(c.code);
        InterfaceTextDB::Invalidate();
        EXPECT_EQ(Text(c.key, c.logMisses), c.text);
    }
}

// The file the build installs as data/interfacetext.txt: each of its lines gives one key a
// text of that line alone.
TEST_F(InterfaceTextTest, EveryLineOfTheInstalledFileGivesItsKeyAText) {
    const fs::path installed =
        fs::path(KODRIN_FIXTURES).parent_path().parent_path() / "data" / "interfacetext.txt";
    fs::copy_file(installed, root_ / "data" / "interfacetext.txt");
    std::ifstream in(installed);
    int keys = 0;
    for (std::string line; std::getline(in, line);) {
        const std::string key = line.substr(0, line.find(' '));
        if (key.empty()) continue;
        SCOPED_TRACE(key);
        ++keys;
        EXPECT_EQ(key[0], '$');
        const std::string text = Text(key.c_str(), false);
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(text.find_first_of("\"\r\n"), std::string::npos);
    }
    EXPECT_GT(keys, 0);
}

TEST_F(InterfaceTextTest, ThreadsRacingTheFirstUseLoadOnce) {
    WriteRaw("interfacetext.txt", "$greeting \"Hello\"\r\n");
    constexpr int kThreads = 8;
    std::latch start(kThreads);
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            start.arrive_and_wait();
            for (int i = 0; i < 200; ++i)
                if (GetInterfaceText("$greeting") != "Hello") wrong.fetch_add(1);
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(LogCount(kCompiledFailed), 1u); // one load, through the text form
}

// Gives another thread up to 50 ms to take the resource lock exclusively, as a reader that
// starts a load does. Bounded by time, not by a count of yields: on a busy machine a single
// yield may last a whole time slice.
void AwaitExclusiveHolder() {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(50);
    while (!ResourceLock::Instance().IsExclusive() && std::chrono::steady_clock::now() < end)
        std::this_thread::yield();
}

// Readers keep looking up while the main thread changes the language; an Invalidate that
// comes while a reader is loading the previous choice still brings the new one.
TEST_F(InterfaceTextTest, LookupsRunWhileTheTableReloadsAndNoChoiceIsLost) {
    // Tables large enough that a load takes a while.
    std::map<std::string, std::string> english{{"$greeting", "Hello"}};
    std::map<std::string, std::string> german{{"$greeting", "Hallo"}};
    for (int i = 0; i < 300; ++i) {
        english["$key" + std::to_string(i)] = "Text";
        german["$key" + std::to_string(i)] = "Text";
    }
    WriteCompiled("interfacetext.chump", english);
    WriteCompiled("interfaceGerman.chump", german);
    constexpr int kReaders = 3;
    std::atomic<bool> stop{false};
    std::atomic<int> lookups{0};
    std::atomic<int> wrong{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < kReaders; ++t) {
        readers.emplace_back([&] {
            while (!stop.load()) {
                const std::string text = Text("$greeting", false);
                if (text != "Hello" && text != "Hallo") wrong.fetch_add(1);
                lookups.fetch_add(1);
            }
        });
    }
    for (int i = 0; i < 20; ++i) {
        InterfaceTextDB::Invalidate(); // a reader starts loading the current choice...
        AwaitExclusiveHolder();
        InterfaceTextDB::SetLanguage(i % 2 ? "US" : "DE"); // ...which changes meanwhile
        InterfaceTextDB::Invalidate();
        EXPECT_EQ(Text("$greeting", false), i % 2 ? "Hello" : "Hallo") << i;
    }
    stop.store(true);
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_GT(lookups.load(), 0);
    EXPECT_EQ(wrong.load(), 0);
}

} // namespace
