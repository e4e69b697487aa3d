// Libraries with native plug-ins: the plug-in is initialised once per library, calls pass
// the script's strings (a null array as none, null elements as null strings) and bring back
// only strings; a library without a plug-in logs the call; a plug-in name that is not a
// plain file name loads nothing and the library runs without it.
#include <gtest/gtest.h>

#include "library_support.h"
#include "script_natives/native_plugin_loader.h"

namespace {

using librarytest::LibraryTest;
using librarytest::TestContext;

constexpr const char* kSource = R"(include "library.gs"
class TestLibrary isclass Library {
  public string DescribeNull() { return LibraryCallNative("Describe", null, null); }
  public string ArrayNull() { return LibraryCallNative("Array", null, null); }
  public string DescribeTwo() {
    string[] texts = new string[2];
    texts[0] = "a";
    return LibraryCallNative("Describe", texts, null);
  }
};
)";

const KUID kLibraryKUID(414100, 60, 0);

class LibraryPluginTest : public LibraryTest {
  protected:
    void SetUp() override { SetUpLibrary("pluginlib", kSource, KODRIN_PLUGIN_INSTALLATION); }
    static int Inits(GSOLibrary* library) { return std::stoi(CallNativePlugin(library->Plugin(), "Inits", {})); }
};

TEST_F(LibraryPluginTest, ThePluginIsInitialisedOncePerLibrary) {
    Spec(kLibraryKUID, "TestLibrary", "zri_test_plugin");
    TestContext& context = NewContext();
    GSOLibrary* library = context.GetScriptLibrary(kLibraryKUID);
    ASSERT_NE(library, nullptr);
    ASSERT_NE(library->Plugin(), nullptr) << LogText();
    const int inits = Inits(library);
    EXPECT_GE(inits, 1);
    EXPECT_EQ(context.GetScriptLibrary(kLibraryKUID), library);
    EXPECT_EQ(Inits(library), inits);
    GSOLibrary* other = NewContext().GetScriptLibrary(kLibraryKUID);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(Inits(other), inits + 1) << "one Init for the other context's library";
}

TEST_F(LibraryPluginTest, CallsPassTheScriptsStringsAndBringBackOnlyStrings) {
    Spec(kLibraryKUID, "TestLibrary", "zri_test_plugin");
    GSOLibrary* library = NewContext().GetScriptLibrary(kLibraryKUID);
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(CallString(library, "$string@TestLibrary::DescribeNull()"), "0:");
    EXPECT_EQ(CallString(library, "$string@TestLibrary::DescribeTwo()"), "2:a,null");
    EXPECT_EQ(CallString(library, "$string@TestLibrary::ArrayNull()"), "");
}

TEST_F(LibraryPluginTest, WithoutAPluginACallIsLoggedAndAnswersEmpty) {
    struct Case {
        const char* plugin;
        const char* logged;
    };
    const Case cases[] = {
        {nullptr, nullptr},
        {"../x", "LoadNativePlugin> refused the plug-in name '../x'"},
        {"a/b", "LoadNativePlugin> refused the plug-in name 'a/b'"},
    };
    int content = 61;
    for (const Case& c : cases) {
        const KUID kuid(414100, content++, 0);
        Spec(kuid, "TestLibrary", c.plugin);
        gstest::LogLines().clear();
        GSOLibrary* library = NewContext().GetScriptLibrary(kuid);
        ASSERT_NE(library, nullptr) << "the library runs without its plug-in";
        EXPECT_EQ(library->Plugin(), nullptr);
        if (c.logged) {
            EXPECT_TRUE(Logged(c.logged)) << LogText();
        }
        gstest::LogLines().clear();
        EXPECT_EQ(CallString(library, "$string@TestLibrary::DescribeNull()"), "");
        const std::string line = std::string("Library.LibraryCall> unknown function 'Describe' was called on object '") +
                                 kuid.ToTag().c_str() + " \"\"'";
        EXPECT_EQ(gstest::LogLines(), std::vector<std::string>{line});
    }
}

} // namespace
