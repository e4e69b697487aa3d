// Kiv::LZSSCompress: the choice of level and window class by input size, the stored
// fallback, and the dispatch of a stream to the decoder its header names, into one block
// or through a window-sized buffer into a byte slave. Every table the coders need lives
// for one call only.
#include "foundation/lzss/lzss_compress.h"

#include <algorithm>

#include "engine/io_slave.h"

#include "foundation/lzss/lzss_flag_words.h"
#include "foundation/lzss/lzss_huffman_form.h"
#include "foundation/lzss/lzss_match_finder.h"
#include "foundation/lzss/lzss_tables.h"
#include "foundation/lzss/lzss_window_output.h"

namespace Kiv {
namespace {

// Inputs this short are always stored.
constexpr size_t kStoredUpTo = 6;
// Inputs shorter than this use window class 0 and at most level 6.
constexpr size_t kSmallInput = 256;
constexpr int kLastFlagWordLevel = 6;
// A decoded block starts at this multiple of its stream's size and grows from there.
constexpr size_t kSizeHint = 4;

std::vector<uint8_t> Stored(std::span<const uint8_t> input) {
    std::vector<uint8_t> stream;
    stream.reserve(input.size() + 1);
    stream.push_back(0);
    stream.insert(stream.end(), input.begin(), input.end());
    return stream;
}

// The window class for the level and input size: class 0 under 256 bytes, else the
// level's class, or the class below it when the class's window covers the whole input.
int ChooseClass(int& level, size_t size) {
    if (size < kSmallInput) {
        level = std::min(level, kLastFlagWordLevel);
        return 0;
    }
    int windowClass = LZSSLevelTable[level].windowClass;
    if (windowClass != 0 &&
        (size_t{1} << kLZSSWindowClasses[windowClass].distanceBits) >= size) {
        --windowClass;
    }
    return windowClass;
}

// What a stream's header byte names: a window class and a level that exist.
struct LZSSStreamHeader {
    int windowClass;
    LZSSForm form;
};

bool ReadHeader(std::span<const uint8_t> stream, LZSSStreamHeader& header) {
    if (stream.empty()) return false;
    const int windowClass = (stream[0] >> 4) & 3;
    const int level = stream[0] & 0x0F;
    if (windowClass >= static_cast<int>(kLZSSWindowClasses.size()) || level > kLZSSMaxLevel) {
        return false;
    }
    header = {windowClass, LZSSLevelTable[level].form};
    return true;
}

// The coded forms, into either kind of output.
template <class Output>
bool Decode(const LZSSStreamHeader& header, std::span<const uint8_t> body, Output out) {
    return header.form == LZSSForm::Huffman ? DecodeLZSSHuffman(body, header.windowClass, out)
                                            : DecodeLZSSFlagWords(body, header.windowClass, out);
}

// The stored form's bytes, handed over a chunk at a time.
bool WriteStored(std::span<const uint8_t> body, IOSlave& output) {
    while (!body.empty()) {
        const size_t piece = std::min(body.size(), kLZSSOutputChunk);
        if (output.Write(body.data(), piece) != piece) return false;
        body = body.subspan(piece);
    }
    return true;
}

template <class Writer>
void Encode(std::span<const uint8_t> input, int windowClass, int niceLength,
            LZSSEncodeBuffer& out) {
    Writer writer(windowClass, out);
    FindLZSSMatches(input, kLZSSWindowClasses[windowClass].distanceBits, niceLength, writer);
    writer.Finish();
}

}  // namespace

std::vector<uint8_t> LZSSCompress::Compress(std::span<const uint8_t> input, int level) const {
    level = std::clamp(level, 0, kLZSSMaxLevel);
    if (level == 0 || input.size() <= kStoredUpTo) return Stored(input);
    const int windowClass = ChooseClass(level, input.size());
    const LZSSLevel& entry = LZSSLevelTable[level];
    LZSSEncodeBuffer out(input.size() + 1);
    out.Put(static_cast<uint8_t>(windowClass << 4 | level));
    if (entry.form == LZSSForm::Huffman) {
        Encode<LZSSHuffmanWriter>(input, windowClass, entry.niceLength, out);
    } else {
        Encode<LZSSFlagWordWriter>(input, windowClass, entry.niceLength, out);
    }
    if (out.Full()) return Stored(input);
    return out.Take();
}

bool LZSSCompress::Decompress(std::span<const uint8_t> stream, std::vector<uint8_t>& output,
                              size_t maxOutput) const {
    output.clear();
    LZSSStreamHeader header;
    if (!ReadHeader(stream, header)) return false;
    const std::span<const uint8_t> body = stream.subspan(1);
    maxOutput = std::min(maxOutput, kMaxBlock);
    if (header.form == LZSSForm::Stored) {
        if (body.size() > maxOutput) return false;
        output.assign(body.begin(), body.end());
        return true;
    }
    const bool ok =
        Decode(header, body, LZSSDecodeOutput(output, maxOutput, kSizeHint * body.size()));
    if (!ok) output.clear();
    return ok;
}

bool LZSSCompress::Decompress(std::span<const uint8_t> stream, IOSlave& output,
                              size_t maxOutput) const {
    LZSSStreamHeader header;
    if (!ReadHeader(stream, header)) return false;
    const std::span<const uint8_t> body = stream.subspan(1);
    maxOutput = std::min(maxOutput, kMaxBlock);
    if (header.form == LZSSForm::Stored) {
        return body.size() <= maxOutput && WriteStored(body, output);
    }
    std::vector<uint8_t> buffer;
    const size_t window = size_t{1} << kLZSSWindowClasses[header.windowClass].distanceBits;
    return Decode(header, body, LZSSWindowOutput(output, buffer, window, maxOutput));
}

}  // namespace Kiv
