// TSubFile: reads and writes through the parent, which is first moved to the window's
// position (so several windows, or the parent's own reads, may interleave).
#include "foundation/streams/t_sub_file.h"

#include <algorithm>

TSubFile::TSubFile(TStream* parent, int64_t start, int64_t end)
    : parent_(parent), start_(start), end_(end), current_(parent->Tell()) {}

size_t TSubFile::Write(const void* source, size_t n) {
    if (n == 0) return 0;
    parent_->MoveTo(current_);
    size_t written = parent_->WriteBytes(source, n);
    current_ += static_cast<int64_t>(written);
    if (written != n) SetError(parent_->GetError() ? parent_->GetError() : kErrorIO);
    return written;
}

size_t TSubFile::Read(void* destination, size_t n) {
    if (current_ >= end_) return 0;
    n = static_cast<size_t>(
        std::min(static_cast<uint64_t>(n), static_cast<uint64_t>(end_ - current_)));
    parent_->MoveTo(current_);
    size_t got = parent_->ReadBytes(destination, n);
    current_ += static_cast<int64_t>(got);
    return got;
}

void TSubFile::Seek(int64_t offset, int origin) {
    int64_t base = origin == 1 ? current_ - ReadAheadCount() : origin == 2 ? end_ : start_;
    int64_t target = 0;
    if (__builtin_add_overflow(base, offset, &target)) target = offset < 0 ? start_ : end_;
    if (target == current_) return;
    current_ = std::clamp(target, start_, std::max(start_, end_));
    parent_->MoveTo(current_);
}
