// Kiv::LZSSCompress between two of the engine's byte slaves: the input is read whole into
// memory (a block of at most kMaxBlock bytes). Compression writes its stream in one go;
// decoding hands its output over through the window-sized buffer as it goes.
#include "engine/io_slave.h"
#include "foundation/lzss/lzss_compress.h"

namespace Kiv {
namespace {

bool ReadBlock(IOSlave& input, size_t size, std::vector<uint8_t>& block) {
    if (size > LZSSCompress::kMaxBlock) return false;
    block.resize(size);
    return input.Read(block.data(), size) == size;
}

bool WriteBlock(IOSlave& output, const std::vector<uint8_t>& block) {
    return output.Write(block.data(), block.size()) == block.size();
}

}  // namespace

bool LZSSCompress::Compress(IOSlave& output, IOSlave& input, size_t size, int level) const {
    std::vector<uint8_t> block;
    return ReadBlock(input, size, block) && WriteBlock(output, Compress(block, level));
}

bool LZSSCompress::Decompress(IOSlave& output, IOSlave& input, size_t size) const {
    std::vector<uint8_t> stream;
    return ReadBlock(input, size, stream) && Decompress(stream, output);
}

}  // namespace Kiv
