// LZSS round trip: the first byte chooses the level (0 to 9), the rest is the input; the
// stream is never longer than the stored form and decodes to the input.
#include <span>
#include <vector>

#include "foundation/lzss/lzss_compress.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int level = data[0] % 10;
    const std::span<const uint8_t> input(data + 1, size - 1);
    const Kiv::LZSSCompress codec;
    const std::vector<uint8_t> stream = codec.Compress(input, level);
    fuzz::Require(stream.size() <= input.size() + 1, "never longer than the stored form");
    std::vector<uint8_t> output;
    fuzz::Require(codec.Decompress(stream, output), "own stream decodes");
    fuzz::Require(std::equal(output.begin(), output.end(), input.begin(), input.end()),
                  "decodes to the input");
    return 0;
}
