// The names, paths and file types an archive may write. Names are a short safe alphabet
// with no separators, no leading dot, blank or tilde and no trailing blank, so no name can
// step out of the folder it is written in.
#include <string_view>

#include "engine/ascii.h"
#include "foundation/cdp/cdp_archive.h"

namespace {

constexpr std::string_view kNamePunctuation = " $&'()+,-._~";

// The extensions (compared ignoring ASCII case) of the files an archive may carry.
constexpr const char* kAllowedFileTypes[] = {
    "txt", "bmp", "tga", "chump", "pm",  "im",  "kin",     "wav", "jpg", "jpeg", "gnd",
    "ref", "tso", "obs", "trk",   "texture", "bmk", "dat", "gs",  "gse", "html", "htm",
    "evt", "lm",  "mp3", "lst",   "pfx", "tfx", "avi",     "wmv", "lyr", "trc",  "srt",
};

bool IsNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           kNamePunctuation.find(c) != std::string_view::npos;
}

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

bool IsOnlyDots(std::string_view component) {
    return component.find_first_not_of('.') == std::string_view::npos;
}

} // namespace

bool CDPArchive::IsValidFileName(std::string_view name) {
    if (name.empty()) return false;
    if (name.front() == ' ' || name.front() == '.' || name.front() == '~') return false;
    if (name.back() == ' ') return false;
    for (char c : name)
        if (!IsNameCharacter(c)) return false;
    return true;
}

bool CDPArchive::IsValidPath(std::string_view path) {
    size_t start = 0;
    for (size_t at = 0; at < path.size(); ++at) {
        if (!IsSeparator(path[at])) continue;
        if (IsOnlyDots(path.substr(start, at - start))) return false;
        start = at + 1;
    }
    return true;
}

bool CDPArchive::IsAllowedFileType(const Kiv::File::Path& path) {
    const Kiv::String extension = path.GetExt();
    for (const char* type : kAllowedFileTypes)
        if (Kiv::Ascii::EqualsIgnoreCase(extension.View(), type)) return true;
    return false;
}
