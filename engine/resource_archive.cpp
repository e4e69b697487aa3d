// Reading and checking the ".ka" index, entry reads, and the mount table.
#include "engine/resource_archive.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <span>

#include "engine/ascii.h"
#include "engine/byte_reader.h"
#include "engine/file.h"

namespace Kiv {

namespace {

constexpr char kMagic[4] = {'K', 'A', 'R', 'C'};
constexpr size_t kHeaderSize = 12;
constexpr size_t kSmallestEntry = 2 + 1 + 8 + 8;

struct MountTable {
    std::mutex lock;
    std::map<std::string, std::shared_ptr<const ResourceArchive>> archives;
};

MountTable& Mounts() {
    static auto* table = new MountTable;
    return *table;
}

std::string LowerKey(std::string_view name) {
    std::string key(name);
    for (char& c : key) c = Ascii::ToLower(c);
    return key;
}

bool ReadAll(File& file, int64_t offset, std::vector<uint8_t>& bytes) {
    return file.ReadAt(offset, bytes.data(), bytes.size()) == bytes.size();
}

}  // namespace

std::string ResourceArchive::CanonicalName(std::string_view name) {
    std::string canonical;
    size_t start = 0;
    if (name.empty() || name[0] == '/' || name[0] == '\\') return {};
    while (start <= name.size()) {
        size_t end = name.find_first_of("/\\", start);
        if (end == std::string_view::npos) end = name.size();
        std::string_view part = name.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return {};
        if (!canonical.empty()) canonical.push_back('/');
        canonical += LowerKey(part);
        start = end + 1;
    }
    return canonical;
}

std::shared_ptr<const ResourceArchive> ResourceArchive::Open(const char* path,
                                                             std::string& error) {
    auto archive = std::make_shared<ResourceArchive>();
    archive->path_ = path ? path : "";
    if (!archive->ReadIndex(error)) return nullptr;
    return archive;
}

bool ResourceArchive::ReadIndex(std::string& error) {
    File file;
    if (!file.Open(path_.c_str(), File::kOpenRead)) {
        error = "cannot open the archive";
        return false;
    }
    const uint64_t fileSize = static_cast<uint64_t>(file.Size());
    std::vector<uint8_t> header(kHeaderSize);
    if (fileSize < kHeaderSize || !ReadAll(file, 0, header)) {
        error = "the archive header is truncated";
        return false;
    }
    ByteReader head(header);
    std::span<const uint8_t> magic = head.Bytes(4);
    const uint32_t version = head.U32();
    const uint32_t count = head.U32();
    if (!std::equal(magic.begin(), magic.end(), kMagic) || version != kVersion) {
        error = "not a resource archive of version 1";
        return false;
    }
    if (count > kMaxEntries || count * kSmallestEntry > fileSize - kHeaderSize) {
        error = "the entry count does not fit the archive";
        return false;
    }
    const uint64_t indexLimit = std::min<uint64_t>(
        fileSize - kHeaderSize, uint64_t{count} * (kSmallestEntry - 1 + kMaxNameLength));
    std::vector<uint8_t> index(indexLimit);
    if (!ReadAll(file, kHeaderSize, index)) {
        error = "the archive index cannot be read";
        return false;
    }
    ByteReader reader(index);
    std::vector<std::pair<std::string, Entry>> keyed;
    for (uint32_t i = 0; i < count; ++i) {
        const uint16_t length = reader.U16();
        if (length == 0 || length > kMaxNameLength) reader.Skip(index.size() + 1);
        std::span<const uint8_t> name = reader.Bytes(length);
        Entry entry{std::string(name.begin(), name.end()), reader.U64(), reader.U64()};
        if (reader.Failed()) {
            error = "the archive index is truncated or has a bad name length";
            return false;
        }
        std::string key = CanonicalName(entry.name);
        if (key.empty() || entry.offset > fileSize || entry.size > fileSize - entry.offset) {
            error = "entry " + std::to_string(i) + " has a bad name or lies outside the file";
            return false;
        }
        keyed.emplace_back(std::move(key), std::move(entry));
    }
    std::sort(keyed.begin(), keyed.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 0; i < keyed.size(); ++i) {
        if (i > 0 && keyed[i].first == keyed[i - 1].first) {
            error = "two entries share the name '" + keyed[i].second.name + "'";
            return false;
        }
        keys_.push_back(keyed[i].first);
        entries_.push_back(std::move(keyed[i].second));
    }
    return true;
}

const ResourceArchive::Entry* ResourceArchive::Find(std::string_view name) const {
    const std::string key = CanonicalName(name);
    if (key.empty()) return nullptr;
    auto found = std::lower_bound(keys_.begin(), keys_.end(), key);
    if (found == keys_.end() || *found != key) return nullptr;
    return &entries_[static_cast<size_t>(found - keys_.begin())];
}

bool ResourceArchive::Read(std::string_view name, std::vector<uint8_t>& bytes) const {
    const Entry* entry = Find(name);
    if (!entry || entry->size > kMaxEntryRead) return false;
    File file;
    if (!file.Open(path_.c_str(), File::kOpenRead)) return false;
    bytes.resize(static_cast<size_t>(entry->size));
    if (ReadAll(file, static_cast<int64_t>(entry->offset), bytes)) return true;
    bytes.clear();
    return false;
}

void ResourceArchive::Mount(std::string_view name,
                            std::shared_ptr<const ResourceArchive> archive) {
    MountTable& table = Mounts();
    const std::lock_guard<std::mutex> hold(table.lock);
    if (archive) {
        table.archives[LowerKey(name)] = std::move(archive);
    } else {
        table.archives.erase(LowerKey(name));
    }
}

std::shared_ptr<const ResourceArchive> ResourceArchive::FindMounted(std::string_view name) {
    MountTable& table = Mounts();
    const std::lock_guard<std::mutex> hold(table.lock);
    auto found = table.archives.find(LowerKey(name));
    return found == table.archives.end() ? nullptr : found->second;
}

}  // namespace Kiv
