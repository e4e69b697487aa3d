// VeskDataBufferFile: a data file on a stdio stream, opened by an access mode number: 0 reads
// ("rb"), 1 writes a new or emptied file ("wb"), 2 updates a file and creates it when it is
// missing ("r+b", else "wb"), 3 updates an existing file ("r+b"). The writing modes commit
// what they write: Flush hands the data to the disk, not only to the system. The log-file
// writer keeps its output in one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

class VeskDataBufferFile {
  public:
    enum AccessMode : int32_t { kRead = 0, kWrite = 1, kUpdateOrCreate = 2, kUpdate = 3 };

    VeskDataBufferFile() = default;
    ~VeskDataBufferFile() { Close(); }
    VeskDataBufferFile(const VeskDataBufferFile&) = delete;
    VeskDataBufferFile& operator=(const VeskDataBufferFile&) = delete;

    // Closes a file open before. False when the file cannot be opened; an unknown mode is
    // logged ("VeskDataBufferFile> unknown access mode " and the number).
    bool Open(const std::string& path, int32_t accessMode);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }

    // The number of bytes read, short at the end of the file or on an error.
    size_t Read(void* data, size_t size);
    // False when not every byte was written.
    bool Write(const void* data, size_t size);
    bool SeekToEnd();
    int64_t Tell() const;
    // Writes what is buffered and, in a writing mode, commits it to the disk.
    bool Flush();

  private:
    FILE* file_ = nullptr;
    bool commit_ = false;
};
