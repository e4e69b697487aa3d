// The file-system statics of Kiv::File: existence, removal, renaming without replacing,
// folder creation with parents, tree removal (descriptor-relative, never following a link,
// at most 512 levels deep), the working folder and location substitutions (folders through
// the path policy, archives through the archive mount table).
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "engine/file.h"
#include "engine/path_policy.h"
#include "engine/resource_archive.h"

namespace Kiv {

namespace {

constexpr int kMaxTreeDepth = 512;

bool IsFolder(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Names in the folder open at handle, without "." and "..".
std::vector<std::string> ListNames(int handle) {
    std::vector<std::string> names;
    int copy = dup(handle);
    if (copy < 0) return names;
    DIR* dir = fdopendir(copy);
    if (!dir) {
        close(copy);
        return names;
    }
    while (const dirent* entry = readdir(dir)) {
        std::string name(entry->d_name);
        if (name != "." && name != "..") names.push_back(std::move(name));
    }
    closedir(dir);
    return names;
}

FileResult RemoveTree(int parent, const std::string& name, int depth);

FileResult RemoveEntry(int folder, const std::string& name, int depth) {
    struct stat status;
    if (fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return FileResult::FromErrno(errno);
    if (S_ISDIR(status.st_mode)) return RemoveTree(folder, name, depth + 1);
    if (unlinkat(folder, name.c_str(), 0) != 0) return FileResult::FromErrno(errno);
    return FileResult();
}

FileResult RemoveTree(int parent, const std::string& name, int depth) {
    if (depth > kMaxTreeDepth) return FileResult(FileResult::kTooDeep);
    int folder = openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0) return FileResult::FromErrno(errno);
    FileResult result;
    for (const std::string& entry : ListNames(folder)) {
        result = RemoveEntry(folder, entry, depth);
        if (!result) break;
    }
    close(folder);
    if (!result) return result;
    if (unlinkat(parent, name.c_str(), AT_REMOVEDIR) != 0) return FileResult::FromErrno(errno);
    return FileResult();
}

FileResult MakeFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0755) == 0) return FileResult();
    if (errno == EEXIST && IsFolder(path)) return FileResult();
    if (errno == EEXIST) return FileResult(FileResult::kNotAFolder, ENOTDIR);
    return FileResult::FromErrno(errno);
}

}  // namespace

File::Result File::Exists(const char* path) {
    if (!path || !*path) return Result(Result::kInvalidArgument);
    struct stat status;
    if (stat(PathPolicy::Resolve(path).c_str(), &status) != 0) return Result::FromErrno(errno);
    return Result();
}

File::Result File::Unlink(const char* path) {
    if (!path || !*path) return Result(Result::kInvalidArgument);
    std::string real = PathPolicy::Resolve(path);
    struct stat status;
    if (lstat(real.c_str(), &status) != 0) return Result::FromErrno(errno);
    if (S_ISDIR(status.st_mode)) return Result(Result::kIsAFolder, EISDIR);
    if (unlink(real.c_str()) != 0) return Result::FromErrno(errno);
    return Result();
}

File::Result File::Rename(const char* from, const char* to) {
    if (!from || !*from || !to || !*to) return Result(Result::kInvalidArgument);
    std::string source = PathPolicy::Resolve(from);
    std::string target = PathPolicy::Resolve(to);
    // A change of case only: the target resolves to the source itself.
    if (target == source) target = PathPolicy::ResolveParent(to);
    if (renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return Result();
    if (errno != EINVAL) return Result::FromErrno(errno);
    // A file system without no-replace renames.
    struct stat status;
    if (lstat(target.c_str(), &status) == 0) return Result(Result::kAlreadyExists, EEXIST);
    if (rename(source.c_str(), target.c_str()) != 0) return Result::FromErrno(errno);
    return Result();
}

File::Result File::Md(const char* path) {
    if (!path || !*path) return Result(Result::kInvalidArgument);
    std::string real = PathPolicy::Resolve(path);
    if (IsFolder(real)) return Result();
    for (size_t slash = real.find('/', 1); slash != std::string::npos;
         slash = real.find('/', slash + 1)) {
        Result made = MakeFolder(real.substr(0, slash));
        if (!made) return made;
    }
    return MakeFolder(real);
}

File::Result File::Prune(const char* path) {
    if (!path || !*path) return Result(Result::kInvalidArgument);
    std::string real = PathPolicy::Resolve(path);
    struct stat status;
    if (lstat(real.c_str(), &status) != 0) return Result::FromErrno(errno);
    if (!S_ISDIR(status.st_mode)) return Result(Result::kNotAFolder, ENOTDIR);
    return RemoveTree(AT_FDCWD, real, 0);
}

String File::GetCwd() {
    std::vector<char> buffer(4096);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE || buffer.size() >= (1u << 20)) return String();
        buffer.resize(buffer.size() * 2);
    }
    return String(buffer.data());
}

bool File::Subst(const char* name, const char* target, bool isFolder) {
    if (!name) return false;
    ResourceArchive::Unmount(name);
    if (!target || !*target || isFolder) {
        PathPolicy::SetLocation(name, target ? target : "");
        return true;
    }
    PathPolicy::SetLocation(name, "");
    std::string error;
    std::shared_ptr<const ResourceArchive> archive = ResourceArchive::Open(target, error);
    if (!archive) return false;
    ResourceArchive::Mount(name, std::move(archive));
    return true;
}

}  // namespace Kiv
