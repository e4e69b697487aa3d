// LoadAssetConfigSoup: the compiled config first, the text one next; a compiled config
// that reads as no soup falls back on the text one; a folder without either loads
// nothing and leaves the out handle null.
#include <gtest/gtest.h>

#include <string>

#include "client/commands/install_commands.h"
#include "engine/temp_folder.h"
#include "foundation/soup/chunk_ref.h"

namespace {

class ConfigSoupTest : public ::testing::Test {
  protected:
    void WriteCompiled(const std::string& relative, const char* name) {
        ACSChunkRef soup;
        soup.SetNamedTagString("username", name);
        ASSERT_TRUE(soup.SaveToFile("", folder_.Path(relative).c_str(), "chump"));
    }
    // The username of what loads from the folder; "<none>" when nothing loads.
    std::string Loaded(const std::string& relative, const char* location = "") {
        ACSChunkRef out;
        out.SetNamedTagString("stale", "x");
        const bool loaded =
            LoadAssetConfigSoup(Kiv::PString(location), folder_.Path(relative).c_str(), out);
        if (!loaded) return out.IsNull() ? "<none>" : "<not null>";
        return out.GetNamedTag("username").Std();
    }

    TempFolder folder_;
};

TEST_F(ConfigSoupTest, CompiledConfigComesFirstThenTheTextOne) {
    folder_.MakeFolder("both");
    WriteCompiled("both/config.chump", "compiled");
    folder_.WriteFile("both/config.txt", "username \"text\"\r\n");
    folder_.MakeFolder("text");
    folder_.WriteFile("text/config.txt", "username \"text\"\r\n");
    folder_.MakeFolder("damaged");
    folder_.WriteFile("damaged/config.chump", "ACS$ damaged");
    folder_.WriteFile("damaged/config.txt", "username \"text\"\r\n");
    folder_.MakeFolder("empty");
    folder_.WriteFile("empty/config.chump", "");

    EXPECT_EQ(Loaded("both"), "compiled");
    EXPECT_EQ(Loaded("both", "local"), "compiled");
    EXPECT_EQ(Loaded("text"), "text");
    EXPECT_EQ(Loaded("damaged"), "text");
    EXPECT_EQ(Loaded("empty"), "<none>");
    EXPECT_EQ(Loaded("missing"), "<none>");
}

} // namespace
