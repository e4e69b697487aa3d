// Data nodes of a binary body: the value of each file type. Version-0 files
// stored strings in the system ANSI code page: those are converted to UTF-8 on access, into
// a block of their own. Aligned blobs skip to the next 16-byte body offset; the body block
// itself is 16-byte aligned, so the skip is the same in memory.
#include "foundation/soup/binary_data_chunk.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "foundation/text/code_pages.h"
#include "foundation/soup/binary_file.h"
#include "foundation/soup/binary_format.h"

TDBDataChunk::TDBDataChunk(TDBBinaryFile* file, const BinaryPayload& payload, ACSTagType type,
                           ACSRawDataRef value)
    : TDBBinaryNode(file, payload), type_(type), value_(std::move(value)) {}

namespace {

// The text before the first zero byte, converted from the ANSI code page when a byte of
// 0x80 or above occurs in it, then one zero byte. A failed conversion gives the empty text.
ACSRawDataRef AnsiStringValue(std::string_view stored) {
    std::string text(stored.substr(0, stored.find('\0')));
    const bool plain = std::none_of(text.begin(), text.end(),
                                    [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (!plain) {
        std::string buffer = text;
        buffer.push_back('\0');
        int result = ConvertAnsiToUTF8(buffer.data(), buffer.size());
        if (result > 0) {
            buffer.assign(text);
            buffer.resize(static_cast<size_t>(result), '\0');
            result = ConvertAnsiToUTF8(buffer.data(), buffer.size());
        }
        text = result == 0 ? std::string(buffer.c_str()) : std::string();
    }
    return ACSRawDataRef::CopyBytes(static_cast<uint32_t>(text.size() + 1), text.c_str());
}

ACSRawDataRef ValueOf(const TDBBinaryFile& file, const BinaryPayload& payload) {
    const uint8_t* bytes = file.Body() + payload.offset;
    const auto fileType = static_cast<ACSFileTagType>(payload.fileType);
    if (fileType == ACSFileTagType::String && payload.size != 0 &&
        file.Version() == BinarySoupFormat::kVersionAnsiStrings)
        return AnsiStringValue(
            std::string_view(reinterpret_cast<const char*>(bytes), payload.size));
    if (fileType == ACSFileTagType::AlignedBlob) {
        const uint32_t alignment = BinarySoupFormat::kBlobAlignment;
        const uint32_t skip = (alignment - payload.offset % alignment) % alignment;
        if (payload.size <= skip) return ACSRawDataRef();
        return ACSRawDataRef::Borrow(payload.size - skip, bytes + skip, ACSChunkRef());
    }
    if (TagTypeReadFrom(payload.fileType) == ACSTagType::Null) return ACSRawDataRef();
    return ACSRawDataRef::Borrow(payload.size, bytes, ACSChunkRef());
}

} // namespace

ACSChunkRef TDBDataChunk::Decode(TDBBinaryFile* file, const BinaryPayload& payload) {
    const ACSTagType type = TagTypeReadFrom(payload.fileType);
    return ACSChunkRef::Adopt(new TDBDataChunk(file, payload, type, ValueOf(*file, payload)));
}
