// MakeCDPFileBlob: the length prefix, then the codec's stream, or for an empty file the
// header byte of a flag-word level with nothing after it.
#include "foundation/cdp/cdp_file_blob.h"

#include "foundation/lzss/lzss_compress.h"
#include "foundation/streams/little_endian.h"

namespace {

// Window class 0, level 5: what the codec's default level writes for a short input.
constexpr uint8_t kEmptyStream = 0x05;

} // namespace

std::vector<uint8_t> MakeCDPFileBlob(std::span<const uint8_t> bytes) {
    std::vector<uint8_t> blob(kCDPFileLengthPrefix);
    StoreLittleEndian(bytes.size(), blob.data(), kCDPFileLengthPrefix);
    if (bytes.empty()) {
        blob.push_back(kEmptyStream);
        return blob;
    }
    const std::vector<uint8_t> stream = Kiv::LZSSCompress().Compress(bytes);
    blob.insert(blob.end(), stream.begin(), stream.end());
    return blob;
}
