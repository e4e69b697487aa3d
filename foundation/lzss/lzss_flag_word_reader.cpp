// Reader of the flag-word form. Decoding ends where the input ends between two items;
// an input that ends inside an item (a flag word, an item byte or a run cut short) is
// damaged. The last flag word's unused bits are never read.

#include "foundation/lzss/lzss_decode_output.h"
#include "foundation/lzss/lzss_flag_words.h"
#include "foundation/lzss/lzss_tables.h"
#include "foundation/lzss/lzss_window_output.h"

namespace Kiv {
namespace {

class FlagWordReader {
public:
    explicit FlagWordReader(std::span<const uint8_t> items)
        : in_(items.data()), end_(items.data() + items.size()) {}

    bool AtEnd() const { return in_ == end_; }

    // The flags wait in a 64-bit register above a marker bit; when only the marker is
    // left the next word is fetched.
    bool Flag(uint32_t& bit) {
        if (flags_ <= 1) {
            if (end_ - in_ < 4) return false;
            flags_ = uint64_t{in_[0]} | uint64_t{in_[1]} << 8 | uint64_t{in_[2]} << 16 |
                     uint64_t{in_[3]} << 24 | uint64_t{1} << 32;
            in_ += 4;
        }
        bit = static_cast<uint32_t>(flags_ & 1);
        flags_ >>= 1;
        return true;
    }

    bool Byte(uint32_t& byte) {
        if (in_ == end_) return false;
        byte = *in_++;
        return true;
    }

    bool Word(uint32_t& word) {
        if (end_ - in_ < 2) return false;
        word = uint32_t{in_[0]} | uint32_t{in_[1]} << 8;
        in_ += 2;
        return true;
    }

    // The next count bytes, or null when fewer are left.
    const uint8_t* Bytes(size_t count) {
        if (static_cast<size_t>(end_ - in_) < count) return nullptr;
        const uint8_t* bytes = in_;
        in_ += count;
        return bytes;
    }

private:
    const uint8_t* in_;
    const uint8_t* end_;
    uint64_t flags_ = 1;
};

template <class Output>
bool Class0Item(FlagWordReader& reader, Output& out) {
    uint32_t flag, byte;
    if (!reader.Flag(flag)) return false;
    if (flag == 0) return reader.Byte(byte) && out.Literal(static_cast<uint8_t>(byte));
    uint32_t value = 0;
    for (int i = 0; i < 3; ++i) {
        if (!reader.Flag(flag)) return false;
        value |= flag << i;
    }
    if (value == 7 && !reader.Byte(value)) return false;
    uint32_t distance;
    return reader.Byte(distance) && out.Match(distance, value + kLZSSMinMatch);
}

template <class Output>
bool WideClassItem(FlagWordReader& reader, int distanceBits, Output& out) {
    uint32_t flag, byte;
    if (!reader.Flag(flag)) return false;
    if (flag == 0) {
        if (!reader.Flag(flag)) return false;
        if (flag == 0) return reader.Byte(byte) && out.Literal(static_cast<uint8_t>(byte));
        if (!reader.Byte(byte)) return false;
        const size_t count = byte + kLZSSMinMatch;
        const uint8_t* bytes = reader.Bytes(count);
        return bytes != nullptr && out.Literals(bytes, count);
    }
    uint32_t word;
    if (!reader.Word(word)) return false;
    const uint32_t lengthField = (1u << (16 - distanceBits)) - 1;
    uint32_t value = word >> distanceBits;
    if (value == lengthField && !reader.Byte(value)) return false;
    const uint32_t distance = word & ((1u << distanceBits) - 1);
    return out.Match(distance, value + kLZSSMinMatch);
}

}  // namespace

template <class Output>
bool DecodeLZSSFlagWords(std::span<const uint8_t> items, int windowClass, Output out) {
    FlagWordReader reader(items);
    const int distanceBits = kLZSSWindowClasses[windowClass].distanceBits;
    while (!reader.AtEnd()) {
        const bool ok = windowClass == 0 ? Class0Item(reader, out)
                                         : WideClassItem(reader, distanceBits, out);
        if (!ok) return false;
    }
    return out.Finish();
}

template bool DecodeLZSSFlagWords(std::span<const uint8_t>, int, LZSSDecodeOutput);
template bool DecodeLZSSFlagWords(std::span<const uint8_t>, int, LZSSWindowOutput);

}  // namespace Kiv
