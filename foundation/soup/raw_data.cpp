// Value blocks: owned blocks come from Kiv::Alloc::Raw and go back with Kiv::Alloc::FreeRaw;
// borrowed ones hold their backing node instead.
#include "foundation/soup/raw_data.h"

#include <cstring>
#include <utility>

#include "engine/alloc.h"
#include "foundation/soup/chunk.h"

ACSRawDataCore::ACSRawDataCore(const uint8_t* data, uint32_t size, bool owns, ACSChunkRef backing)
    : data_(data), size_(size), owns_(owns), backing_(std::move(backing)) {}

ACSRawDataCore::~ACSRawDataCore() {
    if (owns_) Kiv::Alloc::FreeRaw(const_cast<uint8_t*>(data_));
}

ACSRawDataRef::ACSRawDataRef(const ACSRawDataRef& other) : core_(other.core_) {
    if (core_) core_->AddRef();
}

ACSRawDataRef::ACSRawDataRef(ACSRawDataRef&& other) noexcept
    : core_(std::exchange(other.core_, nullptr)) {}

ACSRawDataRef& ACSRawDataRef::operator=(const ACSRawDataRef& other) {
    if (other.core_) other.core_->AddRef();
    ReferenceCountMP::ReleaseRef(std::exchange(core_, other.core_));
    return *this;
}

ACSRawDataRef& ACSRawDataRef::operator=(ACSRawDataRef&& other) noexcept {
    if (this != &other)
        ReferenceCountMP::ReleaseRef(std::exchange(core_, std::exchange(other.core_, nullptr)));
    return *this;
}

ACSRawDataRef::~ACSRawDataRef() {
    Release();
}

void ACSRawDataRef::Release() {
    ReferenceCountMP::ReleaseRef(std::exchange(core_, nullptr));
}

ACSRawDataRef ACSRawDataRef::Adopt(uint32_t size, uint8_t* block) {
    if (size == 0 || !block) {
        Kiv::Alloc::FreeRaw(block);
        return ACSRawDataRef();
    }
    return ACSRawDataRef(new ACSRawDataCore(block, size, true, ACSChunkRef()));
}

ACSRawDataRef ACSRawDataRef::CopyBytes(uint32_t size, const void* source) {
    if (size == 0 || !source) return ACSRawDataRef();
    auto* block = static_cast<uint8_t*>(Kiv::Alloc::Raw(size));
    std::memcpy(block, source, size);
    return Adopt(size, block);
}

ACSRawDataRef ACSRawDataRef::Borrow(uint32_t size, const uint8_t* data, ACSChunkRef chunk) {
    if (size == 0 || !data) return ACSRawDataRef();
    return ACSRawDataRef(new ACSRawDataCore(data, size, false, std::move(chunk)));
}

std::string_view ACSRawDataRef::Text() const {
    if (!core_) return {};
    const auto* text = reinterpret_cast<const char*>(core_->Data());
    const void* zero = std::memchr(text, 0, core_->Size());
    const size_t length = zero ? static_cast<const char*>(zero) - text : core_->Size();
    return std::string_view(text, length);
}
