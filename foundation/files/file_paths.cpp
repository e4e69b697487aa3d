// Base-relative file operations over Kiv::File. The joined path gets backslashes, which
// the engine's file layer reads as separators like "/".
#include "foundation/files/file_paths.h"

#include <algorithm>
#include <optional>
#include <string>
#include <sys/stat.h>

#include "engine/file.h"
#include "engine/file_find.h"
#include "engine/path_policy.h"

namespace {

constexpr int kMaxFolderDepth = 512;

// The base and path joined; nothing when there is no base and the path is relative.
std::optional<Kiv::File::Path> UnderBase(const Kiv::PString& base, const Kiv::File::Path& path) {
    Kiv::File::Path full;
    if (!base.IsEmpty()) {
        full = Kiv::File::Path(base.c_str());
        full.AddPath(path.c_str());
    } else if (IsAbsolutePath(path)) {
        full = path;
    } else {
        return std::nullopt;
    }
    full.ReplaceForwardSlashes();
    return full;
}

bool IsSymbolicLink(const Kiv::File::Path& path) {
    const std::string resolved = Kiv::PathPolicy::Resolve(path.View());
    struct stat status {};
    return lstat(resolved.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

bool ContainsAnyFileAt(std::string_view pattern, const Kiv::File::Path& folder, int depth) {
    if (depth >= kMaxFolderDepth) return false;
    Kiv::File::Path search = folder;
    search.AddPath("*");
    Kiv::File::Find find;
    if (!find.Open(search.c_str())) return false;
    while (find.Next()) {
        const std::string_view name = find.GetName();
        if (IsDotDirectory(name)) continue;
        if (!find.IsFolder()) {
            if (pattern.empty() || Kiv::File::Find::Matches(pattern, name)) return true;
            continue;
        }
        Kiv::File::Path below = folder;
        below.AddPath(find.GetName());
        if (!IsSymbolicLink(below) && ContainsAnyFileAt(pattern, below, depth + 1)) return true;
    }
    return false;
}

}  // namespace

bool IsAbsolutePath(const Kiv::File::Path& path) { return path.IsAbsolute(); }

bool MakeDirectoryUnder(const Kiv::PString& base, const Kiv::File::Path& path) {
    const std::optional<Kiv::File::Path> full = UnderBase(base, path);
    return full && Kiv::File::Md(full->c_str()).IsOk();
}

bool RenameFileUnder(const Kiv::PString& base, const Kiv::File::Path& from,
                     const Kiv::File::Path& to) {
    const std::optional<Kiv::File::Path> fullFrom = UnderBase(base, from);
    const std::optional<Kiv::File::Path> fullTo = UnderBase(base, to);
    return fullFrom && fullTo && Kiv::File::Rename(fullFrom->c_str(), fullTo->c_str()).IsOk();
}

bool FileExistsUnder(const Kiv::PString& base, const Kiv::File::Path& path) {
    const std::optional<Kiv::File::Path> full = UnderBase(base, path);
    return !full || Kiv::File::Exists(full->c_str()).IsOk();
}

bool DeleteTreeUnder(const Kiv::PString& base, const Kiv::File::Path& path) {
    if (path.IsEmpty()) return false;
    const std::optional<Kiv::File::Path> full = UnderBase(base, path);
    if (!full) return false;
    return Kiv::File::Prune(full->c_str()).IsOk() || Kiv::File::Unlink(full->c_str()).IsOk();
}

bool ContainsAnyFile(const char* pattern, const Kiv::File::Path& folder) {
    return ContainsAnyFileAt(pattern ? pattern : "", folder, 0);
}

bool IsDotDirectory(std::string_view name) { return name == "." || name == ".."; }

size_t CanonicalisePath(Kiv::File::Path& path) {
    const size_t before = path.Length();
    if (path.IsEmpty()) return before;
    path.Normalize().ReplaceForwardSlashes().DelSlash();
    return before;
}

std::string WithForwardSlashes(std::string_view path) {
    std::string text(path);
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}
