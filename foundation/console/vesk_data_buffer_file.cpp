// The access modes as a table of stdio modes; "c" (commit on flush) of the original modes is
// an fsync after the stdio flush here.
#include "foundation/console/vesk_data_buffer_file.h"

#include <unistd.h>

#include <cerrno>

#include "foundation/console/log_message.h"

namespace {

struct ModeRow {
    int32_t mode;
    const char* stdioMode;
    const char* missingFileMode;  // tried when the file is missing, else null
    bool commit;
};

constexpr ModeRow kModes[] = {
    {VeskDataBufferFile::kRead, "rb", nullptr, false},
    {VeskDataBufferFile::kWrite, "wb", nullptr, true},
    {VeskDataBufferFile::kUpdateOrCreate, "r+b", "wb", true},
    {VeskDataBufferFile::kUpdate, "r+b", nullptr, true},
};

const ModeRow* FindMode(int32_t mode) {
    for (const ModeRow& row : kModes)
        if (row.mode == mode) return &row;
    return nullptr;
}

FILE* OpenStream(const std::string& path, const ModeRow& row) {
    FILE* file = std::fopen(path.c_str(), row.stdioMode);
    if (!file && row.missingFileMode && errno == ENOENT)
        file = std::fopen(path.c_str(), row.missingFileMode);
    return file;
}

}  // namespace

bool VeskDataBufferFile::Open(const std::string& path, int32_t accessMode) {
    Close();
    const ModeRow* row = FindMode(accessMode);
    if (!row) {
        LogMessage("VeskDataBufferFile> unknown access mode %d", accessMode);
        return false;
    }
    file_ = OpenStream(path, *row);
    commit_ = row->commit;
    return file_ != nullptr;
}

void VeskDataBufferFile::Close() {
    if (!file_) return;
    Flush();
    std::fclose(file_);
    file_ = nullptr;
}

size_t VeskDataBufferFile::Read(void* data, size_t size) {
    if (!file_) return 0;
    return std::fread(data, 1, size, file_);
}

bool VeskDataBufferFile::Write(const void* data, size_t size) {
    if (!file_) return false;
    return std::fwrite(data, 1, size, file_) == size;
}

bool VeskDataBufferFile::SeekToEnd() { return file_ && std::fseek(file_, 0, SEEK_END) == 0; }

int64_t VeskDataBufferFile::Tell() const { return file_ ? std::ftell(file_) : -1; }

bool VeskDataBufferFile::Flush() {
    if (!file_) return false;
    if (std::fflush(file_) != 0) return false;
    return !commit_ || fsync(fileno(file_)) == 0;
}
