// Writing and completing resource-file headers.
#include "engine/kirf_writer.h"

#include <string>

#include "engine/byte_reader.h"
#include "engine/file.h"

namespace Kiv {

int64_t KIRFWriteHeader(File& file, uint32_t tag) {
    const int64_t start = file.Tell();
    std::string header = "KIRF";
    PutU32(header, 0);
    PutU32(header, tag);
    if (file.Write(header.data(), 1, header.size()) != header.size()) return -1;
    return start + 4;
}

bool KIRFPatchSize(File& file, int64_t sizeOffset) {
    const int64_t end = file.Size();
    if (sizeOffset < 0 || end < sizeOffset + 4 || end - sizeOffset - 4 > int64_t{UINT32_MAX})
        return false;
    std::string size;
    PutU32(size, static_cast<uint32_t>(end - sizeOffset - 4));
    return file.WriteAt(sizeOffset, size.data(), size.size()) == size.size();
}

}  // namespace Kiv
