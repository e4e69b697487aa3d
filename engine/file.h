// Kiv::File: an open file of the engine layer, plus the file-system statics (Exists, Unlink,
// Rename, Md, Prune, GetCwd, Subst). Every path goes through the path policy
// (engine/path_policy.h). Sizes and positions are 64-bit. Kiv::File::Path and Kiv::File::Find
// live in engine/file_path.h and engine/file_find.h.
//
// Open modes are bit sets: 0x10 and 0x20 read, 0x01 write, 0x100 create or replace (read and
// write). The program uses 16 and 32 (read an existing file) and 257 and 289 (create or
// replace). Only regular files and character devices open: a folder, FIFO or socket does
// not, so opening never blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/file_result.h"
#include "engine/string.h"

namespace Kiv {

class File {
public:
    class Path;
    class Find;
    using Result = FileResult;

    enum OpenMode : uint32_t {
        kOpenWrite = 0x001,
        kOpenRead = 0x010,
        kOpenReadShared = 0x020,
        kOpenCreate = 0x100,
    };

    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File() { Close(); }

    // Opens path (closing what was open). The option is kept for a later reopen and has no
    // effect here.
    Result Open(const char* path, uint32_t mode, uint32_t option = 0);
    // The file name within folder (joined with a separator).
    Result Open(const char* folder, const char* name, uint32_t mode, uint32_t option = 0);
    void Close();

    bool IsOpen() const { return handle_ >= 0; }
    int GetHandle() const { return handle_; }  // -1 when closed
    const char* GetPath() const { return path_.c_str(); }  // as given to Open
    uint32_t GetMode() const { return mode_; }
    uint32_t GetOpenOption() const { return option_; }

    // size * count bytes at the position; returns the bytes moved (fewer at the end of the
    // file or on an error).
    size_t Read(void* destination, size_t size, size_t count);
    size_t Write(const void* source, size_t size, size_t count);
    // The same at an absolute offset, leaving the position alone.
    size_t ReadAt(int64_t offset, void* destination, size_t bytes);
    size_t WriteAt(int64_t offset, const void* source, size_t bytes);

    // origin 0 start, 1 current, 2 end. Returns the new position, or -1 (position unchanged).
    int64_t Seek(int64_t offset, int origin);
    int64_t Tell() const;  // 0 when closed
    int64_t Size() const;  // 0 when closed
    bool Eof() const;      // position at or past the size; true when closed

    // One line into buffer, NUL-terminated, its line break ("\n" or "\r\n") kept. A line
    // longer than limit - 1 bytes gives its first limit - 1 bytes and the rest comes with
    // the next calls (a "\r\n" may be split across two calls). Returns the bytes stored,
    // 0 at the end of the file or when limit is below 2.
    size_t ReadLine(char* buffer, size_t limit);
    // The text and "\r\n", the line end of the program's text files.
    bool WriteLine(const char* text);

    // Success when a file or folder of that name exists.
    static Result Exists(const char* path);
    // Removes a file (not a folder).
    static Result Unlink(const char* path);
    // Moves a file or folder; fails when the target exists (nothing is replaced).
    static Result Rename(const char* from, const char* to);
    // Makes the folder and its missing parents; success when it exists already.
    static Result Md(const char* path);
    // Removes a folder with everything below it; symbolic links are removed, not followed.
    static Result Prune(const char* path);
    static String GetCwd();
    // Registers the location name for target ("scripts" -> "<install>/scripts/"); a null
    // or empty target removes it. An archive target (isFolder false) is a ".ka" resource
    // archive, mounted under name (engine/resource_archive.h): its entries are read through
    // the resource database, not through File. False, and nothing left registered under
    // name, when the archive cannot be read.
    static bool Subst(const char* name, const char* target = nullptr, bool isFolder = true);

private:
    int handle_ = -1;
    std::string path_;
    uint32_t mode_ = 0;
    uint32_t option_ = 0;
};

}  // namespace Kiv
