// MemoryFile and the padded mesh-file string.
#include "engine/mesh_file_support.h"

#include <cstring>

namespace Kiv {

void MemoryFile::Open(std::vector<uint8_t> bytes) {
    Open(FileBytes(std::move(bytes)));
}

void MemoryFile::Open(FileBytes bytes) {
    bytes_ = std::move(bytes);
    view_ = bytes_.View();
    position_ = 0;
    failed_ = false;
    open_ = true;
}

void MemoryFile::Close() {
    bytes_.Clear();
    view_ = {};
    position_ = 0;
    open_ = false;
}

std::span<const uint8_t> MemoryFile::Bytes(size_t count) {
    if (failed_ || count > Remaining()) {
        failed_ = true;
        return {};
    }
    std::span<const uint8_t> view(view_.data() + position_, count);
    position_ += count;
    return view;
}

uint32_t MemoryFile::U32() {
    std::span<const uint8_t> b = Bytes(4);
    if (b.empty()) return 0;
    return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
}

uint16_t MemoryFile::U16() {
    std::span<const uint8_t> b = Bytes(2);
    if (b.empty()) return 0;
    return static_cast<uint16_t>(b[0] | b[1] << 8);
}

float MemoryFile::F32() {
    const uint32_t bits = U32();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool MemoryFile::Fits(uint64_t count, uint64_t size) {
    if (size != 0 && count > Remaining() / size) failed_ = true;
    return !failed_;
}

bool MemoryFile::PeekTag(const char* tag) const {
    return !failed_ && Remaining() >= 4 && std::memcmp(view_.data() + position_, tag, 4) == 0;
}

bool MemoryFile::ReadTag(const char* tag) {
    if (!PeekTag(tag)) return false;
    position_ += 4;
    return true;
}

void MemoryFile::Seek(size_t offset) {
    if (offset > view_.size()) {
        failed_ = true;
        return;
    }
    position_ = offset;
}

PString MeshFileSupport::ReadPaddedString(MemoryFile& file) {
    const uint32_t n = file.U32();
    if (n == 0 || file.Failed()) return PString();
    if (n > kMaxPaddedString) {
        file.Bytes(file.Remaining() + 1);
        return PString();
    }
    const size_t padded = (static_cast<size_t>(n) + 3) & ~size_t{3};
    std::span<const uint8_t> bytes = file.Bytes(padded);
    if (bytes.empty()) return PString();
    const char* text = reinterpret_cast<const char*>(bytes.data());
    return PString(text, strnlen(text, n));
}

void MeshFileSupport::WritePaddedString(std::string& out, std::string_view text) {
    if (text.empty()) {
        out.append(4, '\0');
        return;
    }
    const size_t n = text.size() + 1;
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>(n >> shift & 0xFF));
    out.append(text);
    out.append(((n + 3) & ~size_t{3}) - text.size(), '\0');
}

}  // namespace Kiv
