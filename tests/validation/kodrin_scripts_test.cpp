// Script caching of a scripted asset with sources compiled by the project's compiler: the
// library file names (CRC-32 of the text and of the file name), sharing and rebuilding of
// cache files, plain and encrypted sources, the compile errors, the primary source, the
// include text and search list borrowed for the walk, and the build a config gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/results/results_log.h"
#include "foundation/text/crc32.h"
#include "script_compiler/gs_include_list.h"
#include "script_compiler/script_file.h"
#include "script_runtime/gs_class.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_machine.h"
#include "validation/specs/kodrin_base_spec.h"
#include "validation/specs/kodrin_scripts.h"
#include "validation/specs/spec_manager.h"
#include "validation/specs/kodrin_scripts_include_text.h"
#include "validation_test_support.h"

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

const std::string kSource = "class Lamp { int Bright() { return 3; } };\n";

std::string LibraryName(const std::string& text, const char* fileName) {
    char name[32];
    std::snprintf(name, sizeof name, "%08x%08x.gsl", ComputeCrc32(text.data(), text.size()),
                  ComputeCrc32(fileName, std::char_traits<char>::length(fileName)));
    return name;
}

Strings Texts(const ResultsLog& log) {
    Strings texts;
    for (const ResultsLogEntry& entry : log.Entries())
        texts.push_back(std::to_string(entry.kind) + ":" + std::string(entry.text.View()));
    return texts;
}

class KodrinScriptsTest : public ::testing::Test {
  protected:
    void WriteSource(const std::string& asset, const std::string& name, const std::string& text) {
        install_.Folder().Write("UserData/local/" + asset + "/" + name, text);
    }
    // The sources of the asset cached as a new spec does it; the log's entries.
    Strings Cache(const std::string& asset, const char* primary, float build = 3.3f,
                  const char* kind = "scenery") {
        ACSChunkRef config;
        config.SetNamedTagString("kind", kind);
        config.SetNamedTagFloat("kodrin-build", build);
        scripts = std::make_unique<KodrinScripts>(config, KUID(), Kiv::PString("local"),
                                                  Kiv::File::Path(asset.c_str()),
                                                  Kiv::PString(asset.c_str()));
        ResultsLog log;
        cached = scripts->CacheScripts("local", Kiv::File::Path(asset.c_str()),
                                       Kiv::File::Path(primary), log);
        return Texts(log);
    }
    Kiv::File::Path Local(const std::string& relative) const {
        return Kiv::File::Path(install_.Folder().Path("UserData/local/" + relative).c_str());
    }
    Strings CacheFiles() const {
        Strings names;
        const fs::path folder = install_.Folder().Path("UserData/cache/libraries");
        if (!fs::exists(folder)) return names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    validation_test::TestInstallation install_;
    std::unique_ptr<KodrinScripts> scripts;
    bool cached = false;
};

TEST_F(KodrinScriptsTest, SourcesShareALibraryUntilTheirTextChanges) {
    // Without the cache folder, it is made for the first library.
    fs::remove_all(install_.Folder().Path("UserData/cache"));
    WriteSource("one", "lamp.gs", kSource);
    WriteSource("two", "lamp.gs", kSource);
    EXPECT_EQ(Cache("one", "one/lamp.gs"), Strings{});
    EXPECT_TRUE(cached);
    const std::string shared = LibraryName(kSource, "lamp.gs");
    EXPECT_EQ(CacheFiles(), Strings{shared});
    EXPECT_EQ(scripts->LibraryId1(), ComputeCrc32(kSource.data(), kSource.size()));
    // A second asset with the same source, and the first one again, reuse the file.
    EXPECT_EQ(Cache("two", "two/lamp.gs"), Strings{});
    EXPECT_TRUE(cached);
    EXPECT_EQ(Cache("one", "one/LAMP.gs"), Strings{});
    EXPECT_TRUE(cached);
    EXPECT_EQ(CacheFiles(), Strings{shared});
    // One changed byte makes a new library.
    const std::string changed = "class Lamp { int Bright() { return 4; } };\n";
    WriteSource("two", "lamp.gs", changed);
    EXPECT_EQ(Cache("two", "two/lamp.gs"), Strings{});
    Strings both{shared, LibraryName(changed, "lamp.gs")};
    std::sort(both.begin(), both.end());
    EXPECT_EQ(CacheFiles(), both);
}

TEST_F(KodrinScriptsTest, AnEncryptedSourceNamesItsLibraryLikeThePlainOne) {
    WriteSource("plain", "lamp.gs", kSource);
    ScriptFile script;
    ASSERT_TRUE(script.Load(nullptr, Local("plain/lamp.gs")));
    ASSERT_TRUE(script.Encrypt());
    fs::create_directories(install_.Folder().Path("UserData/local/secret"));
    ASSERT_TRUE(script.Save(nullptr, Kiv::File::Path(install_.Folder()
                                                         .Path("UserData/local/secret/Lamp.GSE")
                                                         .c_str())));
    EXPECT_EQ(Cache("secret", "secret/lamp.gs"), Strings{});
    EXPECT_TRUE(cached);
    EXPECT_EQ(CacheFiles(), Strings{LibraryName(kSource, "lamp.gs")});
    EXPECT_EQ(Cache("plain", "plain/lamp.gs"), Strings{});
    EXPECT_EQ(CacheFiles(), Strings{LibraryName(kSource, "lamp.gs")});
}

TEST_F(KodrinScriptsTest, APlainAndAnEncryptedSourceOfOneNameAreAMismatchAfterOneRecompile) {
    WriteSource("both", "lamp.gs", kSource);
    WriteSource("other", "lamp.gs", "class Lamp { int Bright() { return 9; } };\n");
    ScriptFile script;
    ASSERT_TRUE(script.Load(nullptr, Local("other/lamp.gs")));
    ASSERT_TRUE(script.Encrypt());
    ASSERT_TRUE(script.Save(nullptr, Local("both/lamp.gse")));
    // The compiler finds "lamp.gs" for the encrypted source too, so its library holds the
    // plain text's ids, never the encrypted text's.
    const Strings findings = Cache("both", "both/lamp.gs");
    EXPECT_FALSE(cached);
    const std::string other = LibraryName("class Lamp { int Bright() { return 9; } };\n", "lamp.gs");
    EXPECT_EQ(findings, Strings{"3:CRC Mismatch on '" + other +
                                "' after recompile. Do you have both .gs and .gse present?"});
}

TEST_F(KodrinScriptsTest, FailuresAreErrorsAndTheWalkGoesOn) {
    WriteSource("bad", "broken.gs", "class Broken { int x };\n");
    WriteSource("bad", "lamp.gs", kSource);
    const Strings findings = Cache("bad", "bad/lamp.gs");
    EXPECT_FALSE(cached);
    ASSERT_FALSE(findings.empty());
    for (const std::string& finding : findings) EXPECT_EQ(finding.substr(0, 2), "3:") << finding;
    EXPECT_EQ(CacheFiles(), Strings{LibraryName(kSource, "lamp.gs")});
    EXPECT_EQ(scripts->LibraryId2(), ComputeCrc32("lamp.gs", 7));

    WriteSource("lost", "lamp.gs", kSource);
    EXPECT_EQ(Cache("lost", "lost/main.gs"),
              Strings{"3:Unable to locate primary script source file 'lost/main.gs'"});
    EXPECT_FALSE(cached);
    // The sources are cached once: a second call answers at once.
    ResultsLog log;
    EXPECT_TRUE(scripts->CacheScripts("local", "lost", "lost/main.gs", log));
    EXPECT_EQ(log.EntryCount(), 0);
}

TEST_F(KodrinScriptsTest, TheSearchListAndIncludeTextAreBorrowedAndGiveBack) {
    GSIncludeList::Clear();
    GSIncludeList::PushBack(GSIncludePath(Kiv::File::Path("first"), Kiv::PString()));
    GSIncludeList::PushBack(GSIncludePath(Kiv::File::Path("second"), Kiv::PString("arc")));
    // A behavior below 2.90 compiles with the scenario string table included; that source
    // is not there, so the compile fails, which shows the include text was in place.
    WriteSource("rule", "rule.gs", kSource);
    const Strings findings = Cache("rule", "rule/rule.gs", 2.5f, "behavior");
    EXPECT_FALSE(cached);
    ASSERT_FALSE(findings.empty());
    EXPECT_NE(findings.front().find("scenariostringtable.gs"), std::string::npos) << findings.front();
    EXPECT_TRUE(ScriptIncludeText().empty());
    Strings kept;
    for (auto* node = GSIncludeList::List().Begin(); node != GSIncludeList::List().End();
         node = node->next)
        kept.emplace_back(GSIncludeList::At(node).path.View());
    EXPECT_EQ(kept, (Strings{"first", "second"}));
    GSIncludeList::Clear();
    // At 2.90 the same behavior compiles without it.
    EXPECT_EQ(Cache("rule", "rule/rule.gs", 2.9f, "behavior"), Strings{});
}

TEST_F(KodrinScriptsTest, TheClassMustDeriveFromTheBasesTheCategoryNames) {
    WriteSource("kinds", "kinds.gs",
                "class Vehicle {};\nclass Trackside {};\nclass Signal isclass Trackside {};\n"
                "class Loco isclass Vehicle {};\nclass Post isclass Trackside {};\n"
                "class Lamp {};\n");
    ASSERT_EQ(Cache("kinds", "kinds/kinds.gs"), Strings{});
    GSLibrary* library = GSMachine::Get().GetLibrary(scripts->LibraryId1(), scripts->LibraryId2());
    ASSERT_NE(library, nullptr);
    const std::string vehicle = "3:Script class does not match asset kind (vehicle).";
    const std::string trackside = "3:Script class does not match asset kind (trackside).";
    const std::string signal = "3:Script class does not match asset kind (signal).";
    const struct {
        const char* scriptClass;
        const char* category;
        Strings findings;
    } cases[] = {
        {"Loco", "TR;TV;LOCO", {trackside}}, // a vehicle counts as trackside
        {"Post", "TR;TV;LOCO", {vehicle}},
        {"Lamp", "TV;LOCO", {}},             // "TV" without "TR" is no vehicle
        {"Loco", "TV;LOCO", {vehicle}},
        {"Post", "TO", {}},
        {"Signal", "TO;?WA", {}},
        {"Post", "?WA", {signal}},
        {"Lamp", "TO", {trackside}},
        {"Lamp", "", {}},
    };
    for (const auto& c : cases) {
        const GSClass* scriptClass = library->FindClass(c.scriptClass);
        ASSERT_NE(scriptClass, nullptr) << c.scriptClass;
        ResultsLog log;
        EXPECT_EQ(CheckScriptClassCategory(*scriptClass, c.category, log), c.findings.empty())
            << c.scriptClass << " " << c.category;
        EXPECT_EQ(Texts(log), c.findings) << c.scriptClass << " " << c.category;
    }
}

// The include-table assets' scripted specs, for the lookup: asset "shared" of the local
// folder for one KUID, made by the spec manager (no daemon resolves KUIDs here).
std::string g_localFolder;
KodrinBaseSpec* SharedAssetSpec(const KUID& kuid) {
    if (kuid != KUID(414100, 7, 0)) return nullptr;
    ACSChunkRef config;
    config.SetNamedTagString("kind", "library");
    return static_cast<KodrinBaseSpec*>(SpecManager::Instance()->CreateSpec(
        Kiv::PString("local"), Kiv::String(g_localFolder), Kiv::String("shared"), config, kuid));
}

TEST_F(KodrinScriptsTest, IncludeTableAssetsLendTheirFoldersFromBuild290) {
    g_localFolder = install_.Folder().Path("UserData/local");
    SetKodrinScriptsLookup(&SharedAssetSpec);
    WriteSource("shared", "helper.gs", "class Helper {};\n");
    WriteSource("user", "user.gs", "include \"helper.gs\"\nclass User isclass Helper {};\n");
    const auto cacheUser = [](float build, bool withTable) {
        ACSChunkRef config;
        config.SetNamedTagString("kind", "scenery");
        config.SetNamedTagFloat("kodrin-build", build);
        ACSChunkRef table;
        table.SetNamedTagKUID("helper", KUID(414100, 7, 0));
        table.SetNamedTagKUID("again", KUID(414100, 7, 0));
        if (withTable) table.SetNamedTagKUID("gone", KUID(414100, 8, 0));
        config.SetNamedSoup("script-include-table", table);
        KodrinScripts user(config, KUID(), "local", Kiv::File::Path("user"), "user");
        ResultsLog log;
        const bool result = user.CacheScripts("local", "user", "user/user.gs", log);
        return std::make_pair(result, Texts(log));
    };
    // 2.89 (+ 0.005) reads no table: the include is not found.
    const auto old = cacheUser(2.89f, false);
    EXPECT_FALSE(old.first);
    ASSERT_FALSE(old.second.empty());
    EXPECT_NE(old.second.front().find("helper.gs"), std::string::npos) << old.second.front();
    // 2.9 reads it; the KUID named twice is walked once.
    EXPECT_EQ(cacheUser(2.9f, false), std::make_pair(true, Strings{}));
    // A table KUID without a scripted spec makes the include walk fail, not the caching.
    EXPECT_EQ(cacheUser(2.9f, true), std::make_pair(true, Strings{}));
    SetKodrinScriptsLookup(nullptr);
}

TEST_F(KodrinScriptsTest, TheBuildOfAConfig) {
    const struct {
        const char* text;
        float build;
    } cases[] = {
        {"kodrin-build 2.89\n", 2.895f}, {"kodrin-build 0.5\n", 1.3f},
        {"kodrin-build 1\n", 1.005f},    {"kodrin-build 100.0\n", 1.3f},
        {"mesh-table\n{\n}\n", 2.0f},    {"class \"Lamp\"\n", 2.0f},
        {"scriptclass \"Lamp\"\n", 2.0f}, {"", 1.3f},
    };
    for (const auto& c : cases) {
        install_.WriteLocalConfig("cfg", std::string("kind \"scenery\"\n") + c.text);
        ACSChunkRef config;
        config.LoadFromFile(install_.LocalFolder("cfg").c_str(), "config.txt", "txt", false);
        EXPECT_FLOAT_EQ(KodrinScripts(config, KUID(), "local", "cfg", "cfg").GetBuild(), c.build)
            << c.text;
    }
}

} // namespace
