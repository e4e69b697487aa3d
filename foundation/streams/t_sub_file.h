// TSubFile: a window [start, end) onto a parent stream, with its own buffer. Positions are
// relative to the window start; reads stop at the window end and count only the bytes the
// parent delivered, so a parent that ends early shows as a short read. Writes go to the
// parent at the window's position and are not limited to the window.
#pragma once

#include <cstdint>

#include "foundation/streams/t_stream.h"

class TSubFile : public TStream {
  public:
    // start and end are absolute positions in the parent; the window begins wherever the
    // parent stands now (callers put it at start first).
    TSubFile(TStream* parent, int64_t start, int64_t end);

    void Reopen() override {}
    int64_t Tell() const override { return current_ - start_ - ReadAheadCount(); }
    bool IsOpen() const override { return parent_->IsOpen(); }
    bool Eof() const override { return ReadAheadCount() == 0 && current_ >= end_; }

  protected:
    size_t Write(const void* source, size_t n) override;
    size_t Read(void* destination, size_t n) override;
    void Seek(int64_t offset, int origin) override;

  private:
    TStream* parent_;
    int64_t start_;
    int64_t end_;
    // The parent position matching the end of this window's read-ahead.
    int64_t current_;
};
