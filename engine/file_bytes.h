// Kiv::FileBytes: a whole file's content, read-only. A loose file is mapped privately and
// read-only (no copy, nothing to fill first); an archive entry, or bytes a caller hands
// over, are held in memory. Move-only; the mapping goes with the object. Under
// AddressSanitizer nothing is mapped: a read past the last byte of a held file is caught,
// where a mapping's last page would hide it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define KIV_FILE_BYTES_HELD 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KIV_FILE_BYTES_HELD 1
#endif
#endif

namespace Kiv {

class File;

class FileBytes {
public:
#ifdef KIV_FILE_BYTES_HELD
    static constexpr bool kMapsFiles = false;
#else
    static constexpr bool kMapsFiles = true;
#endif

    FileBytes() = default;
    explicit FileBytes(std::vector<uint8_t> bytes) : held_(std::move(bytes)) {}
    FileBytes(FileBytes&& other) noexcept;
    FileBytes& operator=(FileBytes&& other) noexcept;
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;
    ~FileBytes() { Clear(); }

    // Maps the open file's whole content, as large as the file is now, when that is at most
    // limit bytes. False, and nothing held, for a file that cannot be mapped (a device, an
    // empty file), one too large, or when kMapsFiles is false.
    bool Map(const File& file, uint64_t limit);
    std::span<const uint8_t> View() const;
    bool IsMapped() const { return mapped_ != nullptr; }
    void Clear();

private:
    std::vector<uint8_t> held_;
    void* mapped_ = nullptr;
    size_t mappedSize_ = 0;
};

}  // namespace Kiv
