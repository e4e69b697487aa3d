// TBuffer: the unbuffered operations on the dynamic buffer and its growth rule.
#include "foundation/streams/t_buffer.h"

#include <new>

TBuffer::TBuffer(Kiv::DynamicBuffer* buffer, bool owned)
    : buffer_(buffer ? buffer : new Kiv::DynamicBuffer), owned_(buffer ? owned : true) {}

TBuffer::~TBuffer() {
    if (owned_) delete buffer_;
}

void TBuffer::Reopen() {
    buffer_->Clean();
    EmptyBuffer();
}

int64_t TBuffer::Tell() const {
    return static_cast<int64_t>(buffer_->GetPosition()) - ReadAheadCount();
}

bool TBuffer::Eof() const {
    return Tell() >= static_cast<int64_t>(buffer_->GetDataLength());
}

size_t TBuffer::Write(const void* source, size_t n) {
    try {
        size_t allocated = buffer_->GetAllocatedLength();
        if (n > allocated - buffer_->GetPosition() && allocated > kOwnGrowthLimit)
            buffer_->AddLength(n + kGrowthReserve);
        return buffer_->Write(source, n, 1);
    } catch (const std::bad_alloc&) {
        SetError(kErrorMemory);
        return 0;
    }
}

size_t TBuffer::Read(void* destination, size_t n) {
    return buffer_->Read(destination, n, 1);
}

void TBuffer::Seek(int64_t offset, int origin) {
    if (origin == 1) offset -= ReadAheadCount();
    buffer_->Seek(offset, origin);
}
