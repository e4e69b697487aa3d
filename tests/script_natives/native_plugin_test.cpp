// Native plug-ins through the loader: a plug-in from the installation's plug-in folder is
// initialised once without arguments and answers calls with the texts passed; names that
// are not plain file names, missing files and refusing entry points load nothing and are
// logged; every interface object is released again.
#include "script_natives/native_plugin_loader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gs_runtime_test_support.h"
#include "link/kav/kav_user_data.h"
#include "script_runtime/gs_log.h"

namespace {

class NativePluginTest : public ::testing::Test {
  protected:
    NativePluginTest() {
        gstest::LogLines().clear();
        SetGSLogHook(gstest::CollectLog);
        KAVUserData::SetInstallPath(Kiv::File::Path(KODRIN_PLUGIN_INSTALLATION));
        liveBefore_ = ZRILiveObjectCount();
        context_ = ZRIAllocContext();
    }
    ~NativePluginTest() override {
        ZRIRelease(context_);
        EXPECT_EQ(ZRILiveObjectCount(), liveBefore_) << "every interface object is released";
        KAVUserData::Clear();
        SetGSLogHook(nullptr);
    }
    static std::string Logged() {
        std::string text;
        for (const std::string& line : gstest::LogLines()) text += "\n  log: " + line;
        return text;
    }
    std::string Inits(ZRIObject* plugin) { return CallNativePlugin(plugin, "Inits", {}); }

    ZRIObject* context_ = nullptr;
    int32_t liveBefore_ = 0;
};

TEST_F(NativePluginTest, APluginIsInitialisedOnceWithoutArguments) {
    ZRIObject* plugin = LoadNativePlugin(context_, "zri_test_plugin");
    ASSERT_NE(plugin, nullptr) << Logged();
    const int inits = std::stoi(Inits(plugin));
    EXPECT_GE(inits, 1);
    ZRIObject* again = LoadNativePlugin(context_, "zri_test_plugin");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(std::stoi(Inits(again)), inits + 1) << "each load runs Init once";
    ZRIRelease(again);
    ZRIRelease(plugin);
}

TEST_F(NativePluginTest, CallsPassTheTextsAndBringBackOnlyStrings) {
    ZRIObject* plugin = LoadNativePlugin(context_, "zri_test_plugin");
    ASSERT_NE(plugin, nullptr) << Logged();
    struct Case {
        const char* function;
        std::vector<const char*> texts;
        std::string answer;
    };
    const Case cases[] = {
        {"Describe", {}, "0:"},
        {"Describe", {"a", nullptr, ""}, "3:a,null,"},
        {"Array", {"a"}, ""},
        {"Missing", {}, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(CallNativePlugin(plugin, c.function, c.texts), c.answer) << c.function;
    ZRIRelease(plugin);
}

TEST_F(NativePluginTest, NamesThatAreNotPlainFileNamesLoadNothing) {
    for (const char* name : {"", "/", "../x", "a/b", "a\\b", "c:x", "..", "x..y", "/tmp/zri_test_plugin"}) {
        gstest::LogLines().clear();
        EXPECT_EQ(LoadNativePlugin(context_, name), nullptr) << name;
        ASSERT_EQ(gstest::LogLines().size(), 1u) << name;
        EXPECT_EQ(gstest::LogLines()[0], std::string("LoadNativePlugin> refused the plug-in name '") + name + "'");
    }
    EXPECT_TRUE(IsNativePluginNameSafe("my.plugin"));
}

TEST_F(NativePluginTest, FilesThatGiveNoPluginLoadNothing) {
    for (const char* name : {"zri_refusing_plugin", "no_such_plugin"}) {
        gstest::LogLines().clear();
        EXPECT_EQ(LoadNativePlugin(context_, name), nullptr) << name;
        EXPECT_EQ(gstest::LogLines().size(), 1u) << name;
    }
    KAVUserData::Clear();
    EXPECT_EQ(LoadNativePlugin(context_, "zri_test_plugin"), nullptr) << "no installation";
}

TEST_F(NativePluginTest, PluginBlocksAreCountedUntilFreed) {
    const int64_t before = NativePluginAllocatedBytes();
    void* block = NativePluginAlloc(100);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(NativePluginAllocatedBytes(), before + 100);
    NativePluginFree(block);
    NativePluginFree(nullptr);
    EXPECT_EQ(NativePluginAllocatedBytes(), before);

    ZRIObject* text = ZRIAllocString("said");
    gstest::LogLines().clear();
    NativePluginLogString(text);
    NativePluginLogString(nullptr);
    EXPECT_EQ(gstest::LogLines(), std::vector<std::string>{"said"});
    ZRIRelease(text);
}

} // namespace
