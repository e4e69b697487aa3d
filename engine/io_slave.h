// Kiv::IOSlave: a byte source and sink with independent read and write cursors, what the
// compression codecs read their input from and write their output to. IOSlaveMemory works
// on a caller's block (read-only, or writable up to a capacity); IOSlaveFile on an open
// Kiv::File, with a read cache and a write buffer so that codecs may move single bytes.
// IOSlaveFile writes reach the file at Flush (also run by reads and the destructor); a
// failed flush makes every later write return 0, so a caller that checks Flush or its
// write results sees the failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Kiv {

class File;

class IOSlave {
public:
    virtual ~IOSlave() = default;
    // Bytes at the read cursor, which advances; returns the bytes read (fewer at the end).
    virtual size_t Read(void* destination, size_t bytes) = 0;
    // Bytes at the write cursor, which advances; returns the bytes taken (fewer when full
    // or failed).
    virtual size_t Write(const void* source, size_t bytes) = 0;
    // The length of the data: for a file, its size after pending writes.
    virtual uint64_t GetSize() = 0;

    uint64_t GetReadCursor() const { return readCursor_; }
    void SetReadCursor(uint64_t position) { readCursor_ = position; }
    uint64_t GetWriteCursor() const { return writeCursor_; }
    void SetWriteCursor(uint64_t position) { writeCursor_ = position; }

protected:
    uint64_t readCursor_ = 0;
    uint64_t writeCursor_ = 0;
};

class IOSlaveMemory : public IOSlave {
public:
    // Read-only over size bytes.
    IOSlaveMemory(const void* data, size_t size);
    // Writable block of capacity bytes, of which the first length hold data.
    IOSlaveMemory(void* data, size_t capacity, size_t length);

    size_t Read(void* destination, size_t bytes) override;
    size_t Write(const void* source, size_t bytes) override;
    uint64_t GetSize() override { return length_; }

private:
    const uint8_t* data_;
    uint8_t* writable_;
    size_t capacity_;
    size_t length_;
};

class IOSlaveFile : public IOSlave {
public:
    // Over an open file (borrowed); both cursors start at its position.
    explicit IOSlaveFile(File& file);
    ~IOSlaveFile() override;
    IOSlaveFile(const IOSlaveFile&) = delete;
    IOSlaveFile& operator=(const IOSlaveFile&) = delete;

    size_t Read(void* destination, size_t bytes) override;
    size_t Write(const void* source, size_t bytes) override;
    uint64_t GetSize() override;
    // Writes the pending bytes; false when any write so far failed.
    bool Flush();

private:
    File& file_;
    std::vector<uint8_t> pending_;  // bytes for pendingStart_ onwards
    uint64_t pendingStart_ = 0;
    std::vector<uint8_t> cache_;  // file bytes from cacheStart_ onwards
    uint64_t cacheStart_ = 0;
    bool failed_ = false;
};

}  // namespace Kiv
