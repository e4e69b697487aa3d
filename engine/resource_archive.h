// Kiv::ResourceArchive: a ".ka" resource archive, the packed form of one asset folder, read
// through the resource database exactly as the folder would be. The format is the engine's
// own (engine/README.md): "KARC", u32 version 1, u32 entry count, then per entry a u16 name
// length, the name ("/"-separated, relative), u64 data offset and u64 data size. Every
// count, length and range is checked against the file before use; names compare ignoring
// ASCII case and must be unique that way. Only the index is held in memory: entry bytes
// are read from the file on demand.
//
// Mounted archives form a process-wide table by location name, filled by
// File::Subst(name, archive, false); the resource database looks its folder name up there.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Kiv {

class ResourceArchive {
public:
    static constexpr uint32_t kVersion = 1;
    static constexpr uint32_t kMaxEntries = 65536;
    static constexpr uint32_t kMaxNameLength = 1024;
    static constexpr uint64_t kMaxEntryRead = uint64_t{512} << 20;

    struct Entry {
        std::string name;
        uint64_t offset = 0;
        uint64_t size = 0;
    };

    // The archive at path with its index read and checked; null, with a reason in error,
    // when the file cannot be read or is not a well-formed archive.
    static std::shared_ptr<const ResourceArchive> Open(const char* path, std::string& error);

    const std::string& GetPath() const { return path_; }
    // The entries in byte order of their lower-cased names.
    const std::vector<Entry>& GetEntries() const { return entries_; }
    // The entry of name ("\" or "/" separators, ASCII case ignored), or null.
    const Entry* Find(std::string_view name) const;
    // The entry's bytes; false when the entry is missing, larger than kMaxEntryRead, or the
    // file no longer holds them.
    bool Read(std::string_view name, std::vector<uint8_t>& bytes) const;

    // The mount table. Mount replaces what name held; an empty archive unmounts.
    static void Mount(std::string_view name, std::shared_ptr<const ResourceArchive> archive);
    static void Unmount(std::string_view name) { Mount(name, nullptr); }
    static std::shared_ptr<const ResourceArchive> FindMounted(std::string_view name);

    // The lower-cased, "/"-separated form under which names are compared; empty when name
    // is absolute, has an empty, "." or ".." component, or is empty.
    static std::string CanonicalName(std::string_view name);

private:
    bool ReadIndex(std::string& error);

    std::string path_;
    std::vector<Entry> entries_;
    std::vector<std::string> keys_;  // CanonicalName of each entry, same order
};

}  // namespace Kiv
