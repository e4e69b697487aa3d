// Memory and file variants of Kiv::IOSlave. The file variant moves data in 64 KiB pieces:
// reads through a cache keyed by file offset, writes through one contiguous pending run.
#include "engine/io_slave.h"

#include <algorithm>
#include <cstring>

#include "engine/file.h"

namespace Kiv {

namespace {

constexpr size_t kPiece = 64 * 1024;

}  // namespace

IOSlaveMemory::IOSlaveMemory(const void* data, size_t size)
    : data_(static_cast<const uint8_t*>(data)), writable_(nullptr), capacity_(0),
      length_(data ? size : 0) {}

IOSlaveMemory::IOSlaveMemory(void* data, size_t capacity, size_t length)
    : data_(static_cast<const uint8_t*>(data)), writable_(static_cast<uint8_t*>(data)),
      capacity_(data ? capacity : 0), length_(std::min(length, capacity_)) {}

size_t IOSlaveMemory::Read(void* destination, size_t bytes) {
    if (!destination || readCursor_ >= length_) return 0;
    size_t count = std::min<uint64_t>(bytes, length_ - readCursor_);
    if (count == 0) return 0;
    std::memcpy(destination, data_ + readCursor_, count);
    readCursor_ += count;
    return count;
}

size_t IOSlaveMemory::Write(const void* source, size_t bytes) {
    if (!writable_ || !source || writeCursor_ >= capacity_) return 0;
    size_t count = std::min<uint64_t>(bytes, capacity_ - writeCursor_);
    if (count == 0) return 0;
    std::memcpy(writable_ + writeCursor_, source, count);
    writeCursor_ += count;
    length_ = std::max<uint64_t>(length_, writeCursor_);
    return count;
}

IOSlaveFile::IOSlaveFile(File& file) : file_(file) {
    readCursor_ = writeCursor_ = static_cast<uint64_t>(file.Tell());
}

IOSlaveFile::~IOSlaveFile() { Flush(); }

bool IOSlaveFile::Flush() {
    if (!pending_.empty()) {
        auto start = static_cast<int64_t>(pendingStart_);
        if (file_.WriteAt(start, pending_.data(), pending_.size()) != pending_.size())
            failed_ = true;
        pending_.clear();
        cache_.clear();
    }
    return !failed_;
}

size_t IOSlaveFile::Write(const void* source, size_t bytes) {
    if (failed_ || !source || !file_.IsOpen()) return 0;
    if (!pending_.empty() && writeCursor_ != pendingStart_ + pending_.size() && !Flush()) return 0;
    if (pending_.empty()) pendingStart_ = writeCursor_;
    const auto* in = static_cast<const uint8_t*>(source);
    pending_.insert(pending_.end(), in, in + bytes);
    writeCursor_ += bytes;
    if (pending_.size() >= kPiece && !Flush()) return 0;
    return bytes;
}

size_t IOSlaveFile::Read(void* destination, size_t bytes) {
    if (!destination || !Flush()) return 0;
    auto* out = static_cast<uint8_t*>(destination);
    size_t done = 0;
    while (done < bytes) {
        bool cached = readCursor_ >= cacheStart_ && readCursor_ < cacheStart_ + cache_.size();
        if (!cached) {
            cache_.resize(kPiece);
            cacheStart_ = readCursor_;
            cache_.resize(file_.ReadAt(static_cast<int64_t>(readCursor_), cache_.data(), kPiece));
            if (cache_.empty()) break;
        }
        size_t offset = readCursor_ - cacheStart_;
        size_t count = std::min(bytes - done, cache_.size() - offset);
        std::memcpy(out + done, cache_.data() + offset, count);
        done += count;
        readCursor_ += count;
    }
    return done;
}

uint64_t IOSlaveFile::GetSize() {
    Flush();
    return static_cast<uint64_t>(file_.Size());
}

}  // namespace Kiv
