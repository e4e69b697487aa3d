// `searchbycategory` as a process of the installed tool against its stand-in daemon, over
// three local assets: the category syntax the help shows (";" list, "|" alternatives, "-"
// inverting a term), and the reason given when a search fails.
#include <gtest/gtest.h>

#include <string>

#include "tool_process.h"

namespace {

using e2e::Installation;
using e2e::ToolResult;

const char kSeed[] = R"(localuser
{
  user 12
  next 100
}
assets
{
  0
  {
    folder "coal_wagon"
    config
    {
      kuid <kuid:12:1>
      username "Coal wagon"
      category-class "XC"
    }
  }
  1
  {
    folder "signal_box"
    config
    {
      kuid <kuid:12:2>
      username "Signal box"
      category-class "BR"
    }
  }
  2
  {
    folder "coal_shed"
    config
    {
      kuid <kuid:12:3>
      username "Coal shed"
      category-class "BD;XC"
    }
  }
}
)";

const std::string kNoErrors = "OK (0 Errors, 0 Warnings)\n";
const std::string kNoMatch =
    "- <NULL> : No assets match the specified criteria.\nOK (1 Errors, 0 Warnings)\n";

std::string Matches(const std::vector<std::string>& tags) {
    std::string out = "+ " + std::to_string(tags.size()) + " : assets matching the specified criteria\n";
    for (size_t i = 0; i < tags.size(); ++i) out += "+ #" + std::to_string(i) + " : " + tags[i] + "\n";
    return out + kNoErrors;
}

TEST(CategorySearchE2E, PatternsSelectTheAssetsTheHelpDescribes) {
    Installation install;
    install.SetDaemonScript(kSeed);
    const struct {
        std::vector<std::string> args;
        std::string out;
        int exitCode;
    } cases[] = {
        {{"searchbycategory", "BR|XC"}, Matches({"<kuid:12:1>", "<kuid:12:2>", "<kuid:12:3>"}), 0},
        {{"searchbycategory", "XC;BD"}, Matches({"<kuid:12:3>"}), 0},
        {{"searchbycategory", "xc;-bd"}, Matches({"<kuid:12:1>"}), 0},
        {{"searchbycategory", "-a", "BD|BR"}, Matches({"<kuid:12:2>", "<kuid:12:3>"}), 0},
        {{"searchbycategory", "-XC"}, Matches({"<kuid:12:2>"}), 0},
        {{"searchbycategory", "XC;-XC"}, kNoMatch, 255},
        {{"searchbycategory", "X"}, kNoMatch, 255},
        {{"searchbycategory", ""}, "- <NULL> : Missing category parameter.\nOK (1 Errors, 0 Warnings)\n", 255},
    };
    for (const auto& c : cases) {
        const std::string shown = c.args.back();
        const ToolResult result = install.Run(c.args);
        EXPECT_FALSE(result.timedOut) << shown;
        EXPECT_EQ(result.out, c.out) << shown;
        EXPECT_EQ(result.exitCode, c.exitCode) << shown;
    }
}

}  // namespace
