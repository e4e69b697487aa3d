// Folder searches of Kiv::File::Find: the folder is read once at Open, filtered by the
// patterns and sorted; the wildcard match is iterative (no recursion, linear backtracking).
#include "engine/file_find.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "engine/ascii.h"
#include "engine/path_policy.h"

namespace Kiv {

namespace {

bool HasWildcard(std::string_view text) { return text.find_first_of("*?") != std::string_view::npos; }

bool IsFolderPath(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// The folder to read and the mask its names must match.
struct Search {
    std::string folder;
    std::string mask;
};

Search SplitPattern(const char* pattern) {
    std::string folded = PathPolicy::Fold(pattern);
    size_t slash = folded.rfind('/');
    std::string mask = slash == std::string::npos ? folded : folded.substr(slash + 1);
    if (!HasWildcard(mask)) {
        std::string whole = PathPolicy::Resolve(folded);
        if (IsFolderPath(whole)) return {whole, std::string(1, '*')};
    }
    if (slash == std::string::npos) return {std::string(1, '.'), mask};
    return {PathPolicy::Resolve(folded.substr(0, slash ? slash : 1)), mask};
}

}  // namespace

bool File::Find::Matches(std::string_view pattern, std::string_view name) {
    if (pattern == "*.*") pattern = "*";
    size_t p = 0, n = 0;
    size_t starAt = std::string_view::npos, resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || Ascii::ToLower(pattern[p]) == Ascii::ToLower(name[n]))) {
            ++p;
            ++n;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

File::Result File::Find::Open(const char* pattern, const char* namePattern) {
    Close();
    if (!pattern || !*pattern) return Result(Result::kInvalidArgument);
    auto [folder, mask] = SplitPattern(pattern);
    std::string_view extra(namePattern ? namePattern : "");

    DIR* dir = opendir(folder.c_str());
    if (!dir) return Result::FromErrno(errno);
    while (const dirent* found = readdir(dir)) {
        std::string_view name(found->d_name);
        if (name == "." || name == ".." || !Matches(mask, name)) continue;
        if (!extra.empty() && !Matches(extra, name)) continue;
        struct stat status;
        if (fstatat(dirfd(dir), found->d_name, &status, 0) != 0 &&
            fstatat(dirfd(dir), found->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        bool isFolder = S_ISDIR(status.st_mode);
        entries_.push_back({std::string(name), isFolder, S_ISREG(status.st_mode) ? status.st_size : 0});
    }
    closedir(dir);
    std::sort(entries_.begin(), entries_.end(),
              [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return Result();
}

bool File::Find::Next() {
    if (next_ >= entries_.size()) {
        next_ = entries_.size() + 1;
        return false;
    }
    ++next_;
    return true;
}

void File::Find::Close() {
    entries_.clear();
    next_ = 0;
}

const File::Find::Entry& File::Find::Current() const {
    static const Entry kNone;
    return next_ >= 1 && next_ <= entries_.size() ? entries_[next_ - 1] : kNone;
}

}  // namespace Kiv
