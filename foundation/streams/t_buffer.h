// TBuffer: a byte stream over an engine growable memory block (Kiv::DynamicBuffer), owned
// (deleted with the stream) or borrowed. Past 16 KB the block grows by the write plus 64 KB
// at a time; a growth that fails is error 3 and the write is dropped. Reading stops at the
// data length without an error of its own: short typed reads report it.
#pragma once

#include "engine/dynamic_buffer.h"
#include "foundation/streams/t_stream.h"

class TBuffer : public TStream {
  public:
    static constexpr size_t kOwnGrowthLimit = 16384;
    static constexpr size_t kGrowthReserve = 65536;

    // A null buffer gives the stream a new owned one.
    explicit TBuffer(Kiv::DynamicBuffer* buffer, bool owned = false);
    ~TBuffer() override;

    Kiv::DynamicBuffer& GetBuffer() { return *buffer_; }
    const Kiv::DynamicBuffer& GetBuffer() const { return *buffer_; }

    // Empties the block (position and data length 0).
    void Reopen() override;
    int64_t Tell() const override;
    bool IsOpen() const override { return true; }
    bool Eof() const override;

  protected:
    size_t Write(const void* source, size_t n) override;
    size_t Read(void* destination, size_t n) override;
    void Seek(int64_t offset, int origin) override;

  private:
    Kiv::DynamicBuffer* buffer_;
    bool owned_;
};
