// Open files of the engine layer over POSIX descriptors. Reads and writes loop over short
// transfers and EINTR; ReadLine reads one buffer ahead and moves the position back to the
// end of the line, so line reads mix freely with Read and Seek.
#include "engine/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "engine/path_policy.h"

namespace Kiv {

namespace {

constexpr uint32_t kReadBits = File::kOpenRead | File::kOpenReadShared;
constexpr uint32_t kKnownBits = kReadBits | File::kOpenWrite | File::kOpenCreate;

// open(2) flags for an engine mode; false for a mode that asks for nothing or for unknown bits.
bool OpenFlags(uint32_t mode, int& flags) {
    if ((mode & ~kKnownBits) != 0 || (mode & kKnownBits) == 0) return false;
    bool read = (mode & kReadBits) != 0;
    bool write = (mode & File::kOpenWrite) != 0;
    flags = read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    if (mode & File::kOpenCreate) flags = O_RDWR | O_CREAT | O_TRUNC;
    flags |= O_CLOEXEC | O_NONBLOCK;  // a FIFO must not block the open
    return true;
}

// Checks what was opened and makes the descriptor blocking again.
FileResult Accept(int handle) {
    struct stat status;
    if (fstat(handle, &status) != 0) return FileResult::FromErrno(errno);
    if (S_ISDIR(status.st_mode)) return FileResult(FileResult::kIsAFolder);
    if (!S_ISREG(status.st_mode) && !S_ISCHR(status.st_mode))
        return FileResult(FileResult::kInvalidArgument);
    int flags = fcntl(handle, F_GETFL);
    if (flags < 0 || fcntl(handle, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return FileResult::FromErrno(errno);
    return FileResult();
}

// size * count, or false when it does not fit.
bool Product(size_t size, size_t count, size_t& bytes) {
    return !__builtin_mul_overflow(size, count, &bytes);
}

}  // namespace

File::Result File::Open(const char* path, uint32_t mode, uint32_t option) {
    Close();
    int flags = 0;
    if (!path || !*path || !OpenFlags(mode, flags)) return Result(Result::kInvalidArgument);
    // Creating through a case variant of an existing file replaces that file.
    std::string real = PathPolicy::Resolve(path);
    int handle = open(real.c_str(), flags, 0644);
    if (handle < 0) return Result::FromErrno(errno);
    Result accepted = Accept(handle);
    if (!accepted) {
        close(handle);
        return accepted;
    }
    handle_ = handle;
    path_ = path;
    mode_ = mode;
    option_ = option;
    return Result();
}

File::Result File::Open(const char* folder, const char* name, uint32_t mode, uint32_t option) {
    if (!folder || !*folder) return Open(name, mode, option);
    if (!name) return Open(nullptr, mode, option);
    std::string joined(folder);
    if (joined.back() != '/' && joined.back() != '\\') joined += '/';
    joined += name;
    return Open(joined.c_str(), mode, option);
}

void File::Close() {
    if (handle_ >= 0) close(handle_);
    handle_ = -1;
}

size_t File::Read(void* destination, size_t size, size_t count) {
    size_t bytes = 0;
    if (!IsOpen() || !destination || !Product(size, count, bytes)) return 0;
    auto* out = static_cast<char*>(destination);
    size_t done = 0;
    while (done < bytes) {
        ssize_t got = read(handle_, out + done, bytes - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<size_t>(got);
    }
    return done;
}

size_t File::Write(const void* source, size_t size, size_t count) {
    size_t bytes = 0;
    if (!IsOpen() || !source || !Product(size, count, bytes)) return 0;
    const auto* in = static_cast<const char*>(source);
    size_t done = 0;
    while (done < bytes) {
        ssize_t put = write(handle_, in + done, bytes - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) break;
        done += static_cast<size_t>(put);
    }
    return done;
}

size_t File::ReadAt(int64_t offset, void* destination, size_t bytes) {
    if (!IsOpen() || !destination || offset < 0) return 0;
    auto* out = static_cast<char*>(destination);
    size_t done = 0;
    while (done < bytes) {
        ssize_t got = pread(handle_, out + done, bytes - done, offset + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<size_t>(got);
    }
    return done;
}

size_t File::WriteAt(int64_t offset, const void* source, size_t bytes) {
    if (!IsOpen() || !source || offset < 0) return 0;
    const auto* in = static_cast<const char*>(source);
    size_t done = 0;
    while (done < bytes) {
        ssize_t put = pwrite(handle_, in + done, bytes - done, offset + static_cast<off_t>(done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) break;
        done += static_cast<size_t>(put);
    }
    return done;
}

int64_t File::Seek(int64_t offset, int origin) {
    static const int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (!IsOpen() || origin < 0 || origin > 2) return -1;
    off_t position = lseek(handle_, offset, kWhence[origin]);
    return position < 0 ? -1 : position;
}

int64_t File::Tell() const {
    if (!IsOpen()) return 0;
    off_t position = lseek(handle_, 0, SEEK_CUR);
    return position < 0 ? 0 : position;
}

int64_t File::Size() const {
    struct stat status;
    if (!IsOpen() || fstat(handle_, &status) != 0) return 0;
    return status.st_size;
}

bool File::Eof() const { return !IsOpen() || Tell() >= Size(); }

size_t File::ReadLine(char* buffer, size_t limit) {
    if (!buffer || limit == 0) return 0;
    buffer[0] = '\0';
    if (limit < 2 || !IsOpen()) return 0;
    int64_t start = Tell();
    size_t got = ReadAt(start, buffer, limit - 1);
    const char* lineEnd = static_cast<const char*>(std::memchr(buffer, '\n', got));
    size_t taken = lineEnd ? static_cast<size_t>(lineEnd - buffer) + 1 : got;
    buffer[taken] = '\0';
    Seek(start + static_cast<int64_t>(taken), 0);
    return taken;
}

bool File::WriteLine(const char* text) {
    size_t length = text ? std::strlen(text) : 0;
    if (Write(text ? text : "", 1, length) != length) return false;
    return Write("\r\n", 1, 2) == 2;
}

}  // namespace Kiv
