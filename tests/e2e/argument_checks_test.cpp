// Every argument check of the command words as the installed tool prints it: the error
// line, the counts line and the exit status a parent sees, all in one installation (one
// daemon). Words whose check needs a daemon answer are covered by the command tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tool_process.h"

namespace {

struct Check {
    std::vector<std::string> args;
    const char* message;
};

const Check kChecks[] = {
    {{"setlanguage"}, "Missing input langauge id parameter."},
    {{"setlanguage", "xx"}, "Unknown language code."},
    {{"installcdp"}, "Missing input filepath parameter."},
    {{"installfrompath"}, "Missing input path parameter."},
    {{"installfrompath", "/no/such/folder"}, "Invalid input path."},
    {{"importconsists"}, "Missing input path parameter."},
    {{"installfromfpx"}, "Missing AssetID parameter."},
    {{"installfromfpx", "not-a-kuid"}, "Missing AssetID parameter."},
    {{"edit"}, "Missing AssetID parameter."},
    {{"printconfig"}, "Missing AssetID parameter."},
    {{"commit"}, "Missing AssetID parameter."},
    {{"revert"}, "Missing AssetID parameter."},
    {{"delete"}, "Missing AssetID parameter."},
    {{"status"}, "Missing AssetID parameter."},
    {{"validate"}, "Missing AssetID parameter."},
    {{"compresstexture"}, "Missing AssetID parameter."},
    {{"compile"}, "Invalid file path."},
    {{"encrypt"}, "Invalid file path."},
    {{"encrypt", "/tmp/script.txt"}, "Invalid file path."},
    {{"listbuilds"}, "Missing path parameter."},
    {{"searchbycategory", "-a"}, "Missing category parameter."},
    {{"createcdp"}, "Missing output path parameter."},
    {{"createcdp", "/tmp/out.zip"}, "The output filename must have a .cdp extension."},
    {{"fpxparse"}, "Missing CDP filepath."},
};

TEST(ArgumentChecksE2E, EachMissingOrWrongArgumentGivesItsErrorAndExit255) {
    e2e::Installation install;
    for (const Check& check : kChecks) {
        SCOPED_TRACE(check.args[0] + (check.args.size() > 1 ? " " + check.args[1] : ""));
        const e2e::ToolResult result = install.Run(check.args);
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.out, std::string("- <NULL> : ") + check.message +
                                  "\nOK (1 Errors, 0 Warnings)\n");
        EXPECT_EQ(result.exitCode, 255);
    }
}

// fpxparse with an archive that does not exist: the archive named, exit 255.
TEST(ArgumentChecksE2E, FPXParseOfAMissingArchiveNamesItAndExits255) {
    e2e::Installation install;
    const e2e::ToolResult result = install.Run({"fpxparse", "/no/such/delivery.cdp"});
    EXPECT_EQ(result.out,
              "- <NULL> : Cannot read the archive /no/such/delivery.cdp.\nOK (1 Errors, 0 Warnings)\n");
    EXPECT_EQ(result.exitCode, 255);
}

// With only a user name the word does not match at all.
TEST(ArgumentChecksE2E, RegisterAccountWithoutPasswordIsAnUnknownWord) {
    e2e::Installation install;
    const e2e::ToolResult result = install.Run({"registeraccount", "ann"});
    EXPECT_EQ(result.out,
              "- <NULL> : Invalid argument, please check the help for the list of valid "
              "argument\n\nOK (1 Errors, 0 Warnings)\n");
    EXPECT_EQ(result.exitCode, 255);
}

}  // namespace
