// The LZSS decoder: every class and level the header byte names (stored, flag-word,
// adaptive Huffman), whole blocks and through the byte slaves, the output bounded.
#include <span>
#include <vector>

#include "engine/io_slave.h"
#include "foundation/lzss/lzss_compress.h"
#include "fuzz_support.h"

namespace {
constexpr size_t kOutputBound = 1 << 20;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> output;
    const bool decoded =
        Kiv::LZSSCompress().Decompress(std::span(data, size), output, kOutputBound);
    fuzz::Require(output.size() <= kOutputBound, "output stays within its bound");
    fuzz::Require(decoded || output.empty(), "a refused stream leaves no output");
    // Through the byte slaves into a sink of the bound: a fuller output is refused there.
    static std::vector<uint8_t> sink(kOutputBound);
    Kiv::IOSlaveMemory source(data, size);
    Kiv::IOSlaveMemory target(sink.data(), sink.size(), 0);
    Kiv::LZSSCompress().Decompress(target, source, size);
    return 0;
}
