// Laying out a ".ka" archive: the index first, so every offset is known once its size is.
#include "engine/resource_archive_writer.h"

#include "engine/byte_reader.h"
#include "engine/file.h"

namespace Kiv {

std::string ResourceArchiveWriter::Build() const {
    uint64_t offset = 12;
    for (const auto& [name, bytes] : entries_) offset += 2 + name.size() + 16;
    std::string out = "KARC";
    PutU32(out, 1);
    PutU32(out, static_cast<uint32_t>(entries_.size()));
    for (const auto& [name, bytes] : entries_) {
        PutU16(out, static_cast<uint16_t>(name.size()));
        out += name;
        PutU64(out, offset);
        PutU64(out, bytes.size());
        offset += bytes.size();
    }
    for (const auto& entry : entries_) out += entry.second;
    return out;
}

bool ResourceArchiveWriter::Write(const char* path) const {
    const std::string bytes = Build();
    File file;
    if (!file.Open(path, File::kOpenCreate | File::kOpenWrite)) return false;
    return file.Write(bytes.data(), 1, bytes.size()) == bytes.size();
}

}  // namespace Kiv
