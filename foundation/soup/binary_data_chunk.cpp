// Data nodes of a binary body: the value of each file type. Version-0 files
// stored strings in the system ANSI code page: those are copied on access into a block of
// their own, converted to UTF-8, with a zero byte appended. Aligned blobs skip to the next 16-byte body offset; the body block
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

// A copy of the whole payload with one zero byte appended. When a byte of 0x80 or above
// occurs before the first zero byte, the copy is first converted in place from the ANSI code
// page to UTF-8 (grown to the size the conversion needs): the converted text and its zero
// byte overwrite the start, and stored bytes past them stay. A failed conversion gives the
// empty text.
ACSRawDataRef AnsiStringValue(std::string_view stored) {
    std::string copy(stored);
    const std::string_view text = stored.substr(0, stored.find('\0'));
    const bool plain = std::none_of(text.begin(), text.end(),
                                    [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (!plain) {
        int result = ConvertAnsiToUTF8(copy.data(), copy.size());
        if (result > 0) {
            copy.resize(static_cast<size_t>(result), '\0');
            result = ConvertAnsiToUTF8(copy.data(), copy.size());
        }
        if (result != 0) copy.clear();
    }
    copy.push_back('\0');
    return ACSRawDataRef::CopyBytes(static_cast<uint32_t>(copy.size()), copy.data());
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
