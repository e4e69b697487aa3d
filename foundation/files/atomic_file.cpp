// The steps of an atomic replacement with POSIX calls, since the standard streams can
// neither flush to disk nor report which step failed.
#include "foundation/files/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace fs = std::filesystem;

namespace {

// Names tried for the temporary file before giving up.
constexpr int kMaxTemporaryNames = 100;

std::string Cause(const char* step, const fs::path& path, int code) {
    return std::string(step) + " " + path.string() + ": " + std::strerror(code);
}

bool WriteAll(int fd, std::string_view bytes) {
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return false;
        if (written == 0) {
            errno = ENOSPC;
            return false;
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

// A new file beside target, opened for writing; -1 with errno when none could be made.
int CreateBeside(const fs::path& target, fs::path& made) {
    const std::string base = target.string() + ".tmp-" + std::to_string(::getpid()) + "-";
    for (int n = 0; n < kMaxTemporaryNames; ++n) {
        made = base + std::to_string(n);
        const int fd = ::open(made.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Fills and flushes the open file; false with the cause.
bool WriteFlushed(int fd, const fs::path& path, std::string_view bytes, std::string& error) {
    if (!WriteAll(fd, bytes)) {
        error = Cause("cannot write", path, errno);
        return false;
    }
    if (::fsync(fd) != 0) {
        error = Cause("cannot flush", path, errno);
        return false;
    }
    return true;
}

void FlushFolder(const fs::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

bool WriteFileAtomically(const fs::path& target, std::string_view bytes, std::string& error) {
    fs::path temporary;
    const int fd = CreateBeside(target, temporary);
    if (fd < 0) {
        error = Cause("cannot create", temporary, errno);
        return false;
    }
    bool ok = WriteFlushed(fd, temporary, bytes, error);
    if (::close(fd) != 0 && ok) {
        error = Cause("cannot write", temporary, errno);
        ok = false;
    }
    if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
        error = Cause("cannot rename the new file to", target, errno);
        ok = false;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    FlushFolder(target.parent_path());
    return true;
}
