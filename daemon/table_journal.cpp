// The journal's file work with POSIX calls, so every append can be flushed and cut back.
#include "daemon/table_journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kEntryMark = "@change ";

uint64_t Hash(std::string_view bytes) {
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (unsigned char byte : bytes) {
        hash ^= byte;
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

std::string Header(uint64_t generation, std::string_view text) {
    char header[96];
    std::snprintf(header, sizeof header, "@change %llu %zu %016llx\n",
                  static_cast<unsigned long long>(generation), text.size(),
                  static_cast<unsigned long long>(Hash(text)));
    return header;
}

std::string Cause(const char* step, const fs::path& path, int code) {
    return std::string(step) + " " + path.string() + ": " + std::strerror(code);
}

// Reads an unsigned number in base at text[at], up to a space or line end; false when there
// is none or it overflows.
bool ReadNumber(const std::string& text, size_t& at, int base, uint64_t& value) {
    const size_t end = text.find_first_of(" \n", at);
    if (end == std::string::npos || end == at || end - at > 20) return false;
    const std::string digits = text.substr(at, end - at);
    char* stop = nullptr;
    errno = 0;
    const unsigned long long number = std::strtoull(digits.c_str(), &stop, base);
    if (errno != 0 || stop != digits.c_str() + digits.size() || digits[0] == '-') return false;
    value = number;
    at = end + 1;
    return true;
}

} // namespace

TableJournal::~TableJournal() { Close(); }

void TableJournal::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool TableJournal::OpenForAppend(std::string& error) {
    if (fd_ >= 0) return true;
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    struct stat status {};
    if (fd_ < 0 || ::fstat(fd_, &status) != 0) {
        error = Cause("cannot open", path_, errno);
        Close();
        return false;
    }
    size_ = static_cast<uint64_t>(status.st_size);
    return true;
}

bool TableJournal::Append(uint64_t generation, std::string_view text, std::string& error) {
    if (!OpenForAppend(error)) return false;
    const std::string entry = Header(generation, text) + std::string(text);
    size_t done = 0;
    int code = 0;
    while (done < entry.size()) {
        const ssize_t written = ::pwrite(fd_, entry.data() + done, entry.size() - done,
                                         static_cast<off_t>(size_ + done));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            code = written < 0 ? errno : ENOSPC;
            break;
        }
        done += static_cast<size_t>(written);
    }
    if (code == 0 && ::fdatasync(fd_) != 0) code = errno;
    if (code != 0) {
        error = Cause(done < entry.size() ? "cannot write" : "cannot flush", path_, code);
        // The file keeps only whole entries; a tail that cannot be cut off is a torn entry,
        // which reading ignores.
        if (::ftruncate(fd_, static_cast<off_t>(size_)) == 0) ::fdatasync(fd_);
        return false;
    }
    size_ += entry.size();
    return true;
}

bool TableJournal::Clear(std::string& error) {
    Close();
    size_ = 0;
    if (::unlink(path_.c_str()) == 0 || errno == ENOENT) return true;
    error = Cause("cannot remove", path_, errno);
    return false;
}

bool TableJournal::Read(uint64_t generation, Contents& contents, std::string& error) {
    std::error_code failure;
    if (!fs::exists(path_, failure)) return true;
    std::ifstream in(path_, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    if (!in.good() && !in.eof()) {
        error = "cannot read " + path_.string();
        return false;
    }
    size_t at = 0;
    while (at < text.size()) {
        uint64_t entryGeneration = 0;
        uint64_t length = 0;
        uint64_t hash = 0;
        size_t cursor = at + kEntryMark.size();
        const bool headed = text.compare(at, kEntryMark.size(), kEntryMark) == 0 &&
                            ReadNumber(text, cursor, 10, entryGeneration) &&
                            ReadNumber(text, cursor, 10, length) &&
                            ReadNumber(text, cursor, 16, hash);
        if (!headed || length > text.size() - cursor) break;
        const std::string_view body(text.data() + cursor, length);
        if (Hash(body) != hash) break;
        if (entryGeneration == generation) {
            contents.entries.emplace_back(body);
        } else {
            contents.extra = true;
        }
        at = cursor + length;
    }
    if (at < text.size()) contents.extra = true;
    return true;
}
