// The log file is created under a free name by the crash path's unique-file helper (with
// O_EXCL, so two writers never share a file), then opened for update at its end.
#include "foundation/console/log_file_writer.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "foundation/console/log_message.h"
#include "foundation/console/os_mutex_lock.h"
#include "foundation/crash/unique_file.h"

namespace {

constexpr int kOpenAttempts = 5;

void MakeDirectory(const std::string& folder) {
    if (folder.empty()) return;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) LogMessage("MakeDirectory> CreateDirectoryW returned err %d", error.value());
}

// Creates the next free file of the name; its path, or empty when none could be made.
std::string CreateFreeFile(const std::string& folder, const std::string& name) {
    char path[4096];
    const int fd = CreateUniqueFile(folder.c_str(), name.c_str(), path, sizeof path);
    if (fd < 0) return {};
    close(fd);
    return path;
}

}  // namespace

LogFileWriter::~LogFileWriter() { Close(); }

bool LogFileWriter::Open(const std::string& folder, const std::string& name,
                         std::optional<LogStampClock> stampClock) {
    Close();
    OS::MutexLock lock(mutex_);
    MakeDirectory(folder);
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        const std::string path = CreateFreeFile(folder, name);
        if (path.empty() || !file_.Open(path, VeskDataBufferFile::kUpdateOrCreate)) continue;
        file_.SeekToEnd();
        path_ = path;
        if (stampClock) stamp_.emplace(std::move(*stampClock));
        return true;
    }
    return false;
}

void LogFileWriter::Close() {
    OS::MutexLock lock(mutex_);
    if (!file_.IsOpen()) return;
    WriteSuppressedCount();
    file_.Close();
    path_.clear();
    stamp_.reset();
    haveLastLine_ = false;
}

bool LogFileWriter::IsOpen() const {
    OS::MutexLock lock(mutex_);
    return file_.IsOpen();
}

std::string LogFileWriter::Path() const {
    OS::MutexLock lock(mutex_);
    return path_;
}

void LogFileWriter::SetFlushEveryLine(bool flush) {
    OS::MutexLock lock(mutex_);
    flushEveryLine_ = flush;
}

void LogFileWriter::Write(std::string_view text) {
    OS::MutexLock lock(mutex_);
    if (!file_.IsOpen()) return;
    if (!flushEveryLine_ && haveLastLine_ && text == lastLine_) {
        ++repeats_;
        return;
    }
    WriteSuppressedCount();
    lastLine_.assign(text);
    haveLastLine_ = true;
    WriteStamped(text);
    if (flushEveryLine_) file_.Flush();
}

void LogFileWriter::WriteSuppressedCount() {
    if (repeats_ == 0) return;
    char line[64];
    const int length = std::snprintf(line, sizeof line, "[%d lines suppressed]\r\n", repeats_);
    repeats_ = 0;
    WriteStamped(std::string_view(line, static_cast<size_t>(length)));
}

void LogFileWriter::WriteStamped(std::string_view text) {
    if (stamp_) {
        const std::string stamp = stamp_->Now();
        file_.Write(stamp.data(), stamp.size());
    }
    file_.Write(text.data(), text.size());
}
