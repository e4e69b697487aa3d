// Writer of the flag-word form: the flag word of the open block is reserved in the output
// and filled in when the block is closed, so item bytes go straight to the output.
#include "foundation/lzss/lzss_flag_words.h"

#include <algorithm>

#include "foundation/lzss/lzss_tables.h"

namespace Kiv {
namespace {

constexpr size_t kMinRun = 6;
constexpr uint32_t kClass0LengthField = 7;

}  // namespace

LZSSFlagWordWriter::LZSSFlagWordWriter(int windowClass, LZSSEncodeBuffer& out)
    : windowClass_(windowClass),
      distanceBits_(kLZSSWindowClasses[windowClass].distanceBits),
      lengthField_((1u << (16 - distanceBits_)) - 1),
      out_(out) {
    StartBlock();
}

void LZSSFlagWordWriter::StartBlock() {
    flagWordAt_ = out_.Size();
    out_.Put32At(flagWordAt_, 0);
    out_.Truncate(flagWordAt_ + 4);
    flags_ = 0;
    flagCount_ = 0;
}

void LZSSFlagWordWriter::Flag(uint32_t bit) {
    if (flagCount_ == 32) {
        out_.Put32At(flagWordAt_, flags_);
        StartBlock();
    }
    flags_ |= bit << flagCount_++;
}

void LZSSFlagWordWriter::Literals(const uint8_t* bytes, size_t count) {
    if (windowClass_ != 0 && count >= kMinRun) {
        Flag(0);
        Flag(1);
        out_.Put(static_cast<uint8_t>(count - kLZSSMinMatch));
        out_.PutBytes(bytes, count);
    } else {
        for (size_t i = 0; i < count; ++i) {
            Flag(0);
            if (windowClass_ != 0) Flag(0);
            out_.Put(bytes[i]);
        }
    }
    out_.CheckRoom();
}

void LZSSFlagWordWriter::Match(int length, int distance) {
    const uint32_t value = static_cast<uint32_t>(length - kLZSSMinMatch);
    Flag(1);
    if (windowClass_ == 0) {
        const uint32_t field = std::min(value, kClass0LengthField);
        for (int i = 0; i < 3; ++i) Flag((field >> i) & 1);
        if (field == kClass0LengthField) out_.Put(static_cast<uint8_t>(value));
        out_.Put(static_cast<uint8_t>(distance));
    } else {
        const uint32_t field = std::min(value, lengthField_);
        out_.Put16(static_cast<uint32_t>(distance) | field << distanceBits_);
        if (field == lengthField_) out_.Put(static_cast<uint8_t>(value));
    }
    out_.CheckRoom();
}

void LZSSFlagWordWriter::Finish() {
    if (out_.Full()) return;
    if (flagCount_ == 0) {
        out_.Truncate(flagWordAt_);
    } else {
        out_.Put32At(flagWordAt_, flags_);
    }
    out_.CheckRoom();
}

}  // namespace Kiv
