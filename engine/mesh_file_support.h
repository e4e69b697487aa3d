// The engine's support for the mesh files (".im", ".pm", ".lm"): MemoryFile, a bounded
// little-endian reader over a whole file's bytes (held, or a read-only mapping), and the padded string every mesh file
// uses for its texts (engine/README.md gives the form): u32 n = byte count + 1, the text,
// a NUL, zero bytes up to the next multiple of 4 of n; n = 0 is the empty string. A read
// past the end sets a sticky failure and yields zeros, so a reader checks once per group.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/file_bytes.h"
#include "engine/pstring.h"

namespace Kiv {

class MemoryFile {
public:
    // Takes the bytes as the open file's content; position 0.
    void Open(std::vector<uint8_t> bytes);
    void Open(FileBytes bytes);
    void Close();
    bool IsOpen() const { return open_; }
    bool HasData() const { return open_ && !view_.empty(); }

    uint32_t U32();
    int32_t I32() { return static_cast<int32_t>(U32()); }
    uint16_t U16();
    float F32();
    // count bytes as a view; empty (and failed) when fewer remain.
    std::span<const uint8_t> Bytes(size_t count);
    // Whether count records of size bytes remain, counted in 64 bits; a false answer
    // fails the file.
    bool Fits(uint64_t count, uint64_t size);
    // The next four bytes equal tag; false (nothing consumed) when fewer than four remain.
    bool PeekTag(const char* tag) const;
    // As PeekTag, consuming the four bytes when they match.
    bool ReadTag(const char* tag);
    // Moves to offset; an offset past the end fails the file and leaves the position.
    void Seek(size_t offset);

    size_t Position() const { return position_; }
    size_t Size() const { return view_.size(); }
    size_t Remaining() const { return view_.size() - position_; }
    bool Failed() const { return failed_; }

private:
    FileBytes bytes_;
    std::span<const uint8_t> view_;
    size_t position_ = 0;
    bool failed_ = false;
    bool open_ = false;
};

class MeshFileSupport {
public:
    static constexpr uint32_t kMaxPaddedString = 65536;

    // The padded string at the file's position; the text ends at its first NUL. A length
    // above kMaxPaddedString or past the data fails the file and gives the empty string.
    static PString ReadPaddedString(MemoryFile& file);
    // Appends text in the padded form.
    static void WritePaddedString(std::string& out, std::string_view text);
};

}  // namespace Kiv
