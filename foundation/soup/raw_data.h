// Value blocks of soup nodes. An ACSRawDataCore is one immutable block of bytes: owned (freed
// with the core) or borrowed from a node's memory, in which case the core keeps that node
// alive. Values are never edited in place; a new value is a new core, and cores are shared
// freely between nodes. ACSRawDataRef is the counted pointer to a core; null means no bytes.
#pragma once

#include <cstdint>
#include <string_view>

#include "foundation/results/reference_count_mp.h"
#include "foundation/soup/chunk_ref.h"

class ACSRawDataCore : public ReferenceCountMP {
  public:
    ACSRawDataCore(const uint8_t* data, uint32_t size, bool owns, ACSChunkRef backing);
    ~ACSRawDataCore() override;

    const uint8_t* Data() const { return data_; }
    uint32_t Size() const { return size_; }

  private:
    const uint8_t* data_;
    uint32_t size_;
    bool owns_;
    ACSChunkRef backing_; // the node whose memory data_ points into, or null
};

class ACSRawDataRef {
  public:
    ACSRawDataRef() = default;
    ACSRawDataRef(const ACSRawDataRef& other);
    ACSRawDataRef(ACSRawDataRef&& other) noexcept;
    ACSRawDataRef& operator=(const ACSRawDataRef& other);
    ACSRawDataRef& operator=(ACSRawDataRef&& other) noexcept;
    ~ACSRawDataRef();

    // Takes over a block from Kiv::Alloc::Raw; size 0 or no block gives null (an empty
    // block is freed).
    static ACSRawDataRef Adopt(uint32_t size, uint8_t* block);
    // A copy of size bytes into a new owned block; size 0 or no source gives null.
    static ACSRawDataRef CopyBytes(uint32_t size, const void* source);
    // A core over data that does not own it and keeps chunk alive; size 0 or no data gives
    // null (and drops chunk).
    static ACSRawDataRef Borrow(uint32_t size, const uint8_t* data, ACSChunkRef chunk);

    bool IsNull() const { return core_ == nullptr; }
    void Release();
    const ACSRawDataCore* Core() const { return core_; }
    const uint8_t* Data() const { return core_ ? core_->Data() : nullptr; }
    uint32_t Size() const { return core_ ? core_->Size() : 0; }
    // The bytes as text: up to the first zero byte, never beyond the size.
    std::string_view Text() const;

  private:
    explicit ACSRawDataRef(ACSRawDataCore* adopted) : core_(adopted) {}

    ACSRawDataCore* core_ = nullptr;
};
