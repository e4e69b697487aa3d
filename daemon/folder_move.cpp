// Folder moves with the copy fallback. Copies use POSIX calls so that every file and
// folder can be flushed (fsync) before the copy is renamed into place and the source goes.
#include "daemon/folder_move.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::atomic<FolderRenameFunction> gRename{&std::rename};

// Folders nested deeper than this are not copied.
constexpr int kMaxDepth = 512;

std::string Cause(const std::string& what, const fs::path& path, int code) {
    return what + " " + path.string() + ": " + std::strerror(code);
}

bool Flush(const fs::path& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const int code = errno;
        if (fd >= 0) ::close(fd);
        error = Cause("cannot flush", path, code);
        return false;
    }
    ::close(fd);
    return true;
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool CopyFileFlushed(const fs::path& from, const fs::path& to, std::string& error) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        error = Cause("cannot read", from, errno);
        return false;
    }
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (out < 0) {
        error = Cause("cannot write", to, errno);
        ::close(in);
        return false;
    }
    std::vector<char> buffer(1 << 16);
    bool ok = true;
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = Cause("cannot read", from, errno);
            ok = false;
            break;
        }
        if (got == 0) break;
        if (!WriteAll(out, buffer.data(), static_cast<size_t>(got))) {
            error = Cause("cannot write", to, errno);
            ok = false;
            break;
        }
    }
    if (ok && ::fsync(out) != 0) {
        error = Cause("cannot flush", to, errno);
        ok = false;
    }
    if (::close(out) != 0 && ok) {
        error = Cause("cannot write", to, errno);
        ok = false;
    }
    ::close(in);
    return ok;
}

bool CopyTree(const fs::path& from, const fs::path& to, int depth, std::string& error);

bool CopyEntry(const fs::directory_entry& entry, const fs::path& to, int depth,
               std::string& error) {
    std::error_code failure;
    const fs::file_status status = entry.symlink_status(failure);
    const fs::path target = to / entry.path().filename();
    if (!failure && fs::is_symlink(status)) {
        fs::copy_symlink(entry.path(), target, failure);
    } else if (!failure && fs::is_directory(status)) {
        return CopyTree(entry.path(), target, depth + 1, error);
    } else if (!failure && fs::is_regular_file(status)) {
        return CopyFileFlushed(entry.path(), target, error);
    } else if (!failure) {
        failure = std::make_error_code(std::errc::not_supported);
    }
    if (failure) error = "cannot copy " + entry.path().string() + ": " + failure.message();
    return !failure;
}

bool CopyTree(const fs::path& from, const fs::path& to, int depth, std::string& error) {
    if (depth > kMaxDepth) {
        error = "the folders below " + from.string() + " are nested too deeply";
        return false;
    }
    if (::mkdir(to.c_str(), 0755) != 0) {
        error = Cause("cannot make the folder", to, errno);
        return false;
    }
    std::error_code failure;
    fs::directory_iterator entries(from, failure);
    for (; !failure && entries != fs::directory_iterator(); entries.increment(failure)) {
        if (!CopyEntry(*entries, to, depth, error)) return false;
    }
    if (failure) {
        error = "cannot read the folder " + from.string() + ": " + failure.message();
        return false;
    }
    return Flush(to, error);
}

void RemoveQuietly(const fs::path& path) {
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

// The copy fallback of a move that cannot be a rename. A source that could not be removed
// afterwards (a read-only file system) is refused before anything is copied; once the copy
// is in place, the move has succeeded whatever is left of the source.
bool CopyThenRemove(const fs::path& source, const fs::path& target, std::string& error) {
    if (::access(source.parent_path().c_str(), W_OK) != 0) {
        error = Cause("cannot remove the folder", source, errno);
        return false;
    }
    fs::path partial = target;
    partial += ".moving";
    RemoveQuietly(partial);
    if (!CopyTree(source, partial, 0, error)) {
        RemoveQuietly(partial);
        return false;
    }
    if (::rename(partial.c_str(), target.c_str()) != 0) {
        error = Cause("cannot move the copy to", target, errno);
        RemoveQuietly(partial);
        return false;
    }
    Flush(target.parent_path(), error);
    error.clear();
    std::error_code failure;
    fs::remove_all(source, failure);
    return true;
}

} // namespace

void SetFolderRenameForTesting(FolderRenameFunction rename) {
    gRename = rename ? rename : &std::rename;
}

bool MoveFolder(const fs::path& source, const fs::path& target, std::string& error) {
    std::error_code failure;
    if (fs::exists(fs::symlink_status(target, failure))) {
        error = Cause("cannot move to", target, EEXIST);
        return false;
    }
    if (gRename.load()(source.c_str(), target.c_str()) == 0) return true;
    const int code = errno;
    if (code == EXDEV) return CopyThenRemove(source, target, error);
    error =
        "cannot move " + source.string() + " to " + target.string() + ": " + std::strerror(code);
    return false;
}

bool ReplaceFolder(const fs::path& source, const fs::path& target, std::string& error) {
    fs::path aside = target;
    aside += ".replaced";
    RemoveQuietly(aside);
    std::error_code failure;
    const bool hadTarget = fs::exists(fs::symlink_status(target, failure));
    if (hadTarget && !MoveFolder(target, aside, error)) return false;
    if (!MoveFolder(source, target, error)) {
        std::string ignored;
        if (hadTarget) MoveFolder(aside, target, ignored);
        return false;
    }
    RemoveQuietly(aside);
    return true;
}

bool CopyFolderDurably(const fs::path& source, const fs::path& target, std::string& error) {
    if (CopyTree(source, target, 0, error)) return true;
    RemoveQuietly(target);
    return false;
}
