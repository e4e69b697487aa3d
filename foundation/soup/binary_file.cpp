// Reading a binary soup file: the header checks, the one read of the body into a 16-byte
// aligned block, and the root view. A body that does not validate is dropped, so every view
// ever made walks a body whose entries all fit.
#include "foundation/soup/binary_file.h"

#include <memory>
#include <new>

#include "foundation/soup/binary_format.h"
#include "foundation/soup/binary_soup.h"
#include "foundation/soup/chunk.h"

namespace {

constexpr std::align_val_t kBodyAlignment{BinarySoupFormat::kBlobAlignment};

struct ReleaseFile {
    void operator()(TDBBinaryFile* file) const { ReferenceCountMP::ReleaseRef(file); }
};

} // namespace

TDBBinaryFile::~TDBBinaryFile() {
    DropBody();
}

void TDBBinaryFile::DropBody() {
    ::operator delete(body_, kBodyAlignment);
    body_ = nullptr;
    bodySize_ = 0;
}

bool TDBBinaryFile::Read(TStream& stream) {
    // Views and data nodes point into the body: while any holds the file it keeps it.
    if (RefCount() > 1) return false;
    DropBody();
    overlay_ = BinaryOverlay();
    uint32_t magic = 0;
    int32_t reserved = 0;
    stream.ReadUInt32(magic, 0);
    stream.ReadInt32(version_, -1);
    stream.ReadInt32(reserved, 0);
    stream.ReadInt32(bodySize_, 0);
    if (magic != BinarySoupFormat::kMagic) {
        bodySize_ = 0;
        return false;
    }
    if (bodySize_ == 0) return true;
    if (bodySize_ < 0 || stream.Tell() + bodySize_ > stream.Size()) {
        bodySize_ = 0;
        return false;
    }
    const auto size = static_cast<uint32_t>(bodySize_);
    body_ = static_cast<uint8_t*>(::operator new(size, kBodyAlignment, std::nothrow));
    if (!body_) {
        bodySize_ = 0;
        return false;
    }
    if (stream.ReadBytes(body_, size) < size || !Validate(0, size)) DropBody();
    return true;
}

ACSChunkRef TDBBinaryFile::GetRoot() {
    const bool known = version_ == BinarySoupFormat::kVersionAnsiStrings ||
                       version_ == BinarySoupFormat::kVersionWritten;
    if (!body_ || !known) return ACSChunk::NullChunk();
    return ACSChunkRef::Adopt(new TDBBinarySoup(this, 0, static_cast<uint32_t>(bodySize_)));
}

bool TDBBinaryFile::ReadSoup(ACSChunkRef& handle, TStream& stream) {
    // The views hold the file; this reference goes when the read is done.
    const std::unique_ptr<TDBBinaryFile, ReleaseFile> file(new TDBBinaryFile());
    const bool read = file->Read(stream);
    ACSChunkRef root = file->GetRoot();
    if (read && !ACSChunk::IsNullNode(root.Get()))
        handle = std::move(root);
    else
        handle.Release();
    return read;
}
