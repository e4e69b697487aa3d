// The name, path and file-type rules of extraction.
#include <gtest/gtest.h>

#include "foundation/cdp/cdp_archive.h"

namespace {

TEST(CDPFileRules, FileNames) {
    const struct {
        std::string_view name;
        bool valid;
    } cases[] = {
        {"config.txt", true},
        {"Body-Mesh_2 (old)+x,y$&'~.pm", true},
        {"a", true},
        {"a~", true},
        {"", false},
        {".", false},
        {"..", false},
        {".hidden", false},
        {" lead.txt", false},
        {"trail.txt ", false},
        {"~tilde.txt", false},
        {"a/b.txt", false},
        {"a\\b.txt", false},
        {"c:x.txt", false},
        {"star*.txt", false},
        {"tab\t.txt", false},
        {"caf\xC3\xA9.txt", false},
        {std::string_view("nul\0.txt", 8), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CDPArchive::IsValidFileName(c.name), c.valid) << "\"" << c.name << "\"";
}

TEST(CDPFileRules, Paths) {
    const struct {
        std::string_view path;
        bool valid;
    } cases[] = {
        {"", true},
        {"a", true},
        {"a\\b", true},
        {"a/b/c", true},
        {"a\\..", true},  // a final dots component is left to the name rule
        {"a\\...", true},
        {"a..b\\c", true},
        {"\\a", false},
        {"/a", false},
        {"a\\\\b", false},
        {"a//b", false},
        {"..\\a", false},
        {"../a", false},
        {"a\\.\\b", false},
        {"a/../b", false},
        {"a\\...\\b", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CDPArchive::IsValidPath(c.path), c.valid) << "\"" << c.path << "\"";
}

TEST(CDPFileRules, FileTypes) {
    const char* allowed[] = {
        "txt", "bmp", "tga", "chump", "pm",  "im",  "kin",     "wav", "jpg", "jpeg", "gnd",
        "ref", "tso", "obs", "trk",   "texture", "bmk", "dat", "gs",  "gse", "html", "htm",
        "evt", "lm",  "mp3", "lst",   "pfx", "tfx", "avi",     "wmv", "lyr", "trc",  "srt",
    };
    for (const char* type : allowed) {
        const std::string name = std::string("folder\\file.") + type;
        EXPECT_TRUE(CDPArchive::IsAllowedFileType(name.c_str())) << name;
    }
    const char* refused[] = {"a.exe", "a.dll", "a.zip", "a.cdp", "a.bat", "a", "a.txt.exe",
                             "a.tx", "dir.txt\\file", "a.txt "};
    for (const char* path : refused) EXPECT_FALSE(CDPArchive::IsAllowedFileType(path)) << path;
    EXPECT_TRUE(CDPArchive::IsAllowedFileType("A.TXT"));
    EXPECT_TRUE(CDPArchive::IsAllowedFileType("Mesh.Texture"));
}

} // namespace
