// Candidate names are assembled by hand (no snprintf, which is not signal-safe).
#include "foundation/crash/unique_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>

namespace {

constexpr int kMaxCandidates = 10000;

// Appends to a zero-terminated buffer; remembers when something did not fit.
class PathBuilder {
public:
    PathBuilder(char* path, size_t size) : path_(path), size_(size) {}

    void Append(const char* text, size_t count) {
        if (!fits_ || used_ + count >= size_) {
            fits_ = false;
            return;
        }
        std::memcpy(path_ + used_, text, count);
        used_ += count;
        path_[used_] = '\0';
    }
    void Append(const char* text) { Append(text, std::strlen(text)); }
    void AppendNumber(int value) {
        char digits[12];
        size_t count = 0;
        do {
            digits[sizeof digits - ++count] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value > 0);
        Append(digits + sizeof digits - count, count);
    }
    bool Fits() const { return fits_; }

private:
    char* path_;
    size_t size_;
    size_t used_ = 0;
    bool fits_ = true;
};

// The path of candidate n (0 is the name itself, n >= 1 adds "_<n + 1>"); false when it
// does not fit in pathSize bytes with its terminating zero.
bool UniqueFileCandidate(const char* folder, const char* name, int n, char* path,
                         size_t pathSize) {
    if (pathSize == 0) return false;
    path[0] = '\0';
    PathBuilder builder(path, pathSize);
    size_t folderLength = std::strlen(folder);
    if (folderLength > 0) {
        builder.Append(folder, folderLength);
        if (folder[folderLength - 1] != '/') builder.Append("/");
    }
    const char* dot = std::strrchr(name, '.');
    size_t baseLength = dot ? static_cast<size_t>(dot - name) : std::strlen(name);
    builder.Append(name, baseLength);
    if (n >= 1) {
        builder.Append("_");
        builder.AppendNumber(n + 1);
    }
    if (dot) builder.Append(dot);
    return builder.Fits();
}

}  // namespace

int CreateUniqueFile(const char* folder, const char* name, char* path, size_t pathSize) {
    for (int n = 0; n < kMaxCandidates; ++n) {
        if (!UniqueFileCandidate(folder, name, n, path, pathSize)) return -1;
        int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) return fd;
        if (errno != EEXIST) return -1;
    }
    return -1;
}
