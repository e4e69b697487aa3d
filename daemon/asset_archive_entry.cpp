// The answer of request 48 and the walk of an asset folder into the "files" tree of its
// archive entry. Files are read through descriptors opened without following a link and
// without blocking, so an entry that became a link or a fifo after the folder was listed
// is skipped instead of followed or waited on. Children are taken in name order, so the
// same folder always gives the same entry.
#include "daemon/asset_archive_entry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "daemon/asset_install_run.h"
#include "engine/ascii.h"
#include "foundation/cdp/cdp_asset.h"
#include "foundation/cdp/cdp_file_blob.h"
#include "foundation/soup/binary_file.h"
#include "foundation/soup/chunk.h"

namespace fs = std::filesystem;

namespace {

// The folder's own config files, left out at its top level: the entry's config stands
// for them.
const char* const kConfigFiles[] = {"config.txt", "config.chump"};
constexpr size_t kReadPiece = 64 * 1024;

// What one walk has taken so far, and the log its findings go to.
struct EntryWalk {
    KUID kuid;
    InstallRun& run;
    size_t bytes = 0;
    size_t entries = 0;
};

enum class FileRead { kRead, kNotPlain, kTooLarge, kFailed };

bool IsConfigFile(std::string_view name) {
    return std::any_of(std::begin(kConfigFiles), std::end(kConfigFiles), [&](const char* config) {
        return Kiv::Ascii::EqualsIgnoreCase(name, config);
    });
}

void Skip(EntryWalk& walk, const fs::path& path, const char* why) {
    walk.run.Add(ResultsLogKind::Warning, walk.kuid, "Skipped " + path.string() + ": " + why);
}

bool TooMany(EntryWalk& walk) {
    walk.run.Error(walk.kuid, "The asset's folder holds more than " +
                                  std::to_string(kMaxArchivedEntries) +
                                  " files and folders, too many for one archive entry.");
    return false;
}

bool TooLarge(EntryWalk& walk) {
    walk.run.Error(walk.kuid, "The asset's files are too large for one archive entry.");
    return false;
}

// Counts one more file or folder of stored bytes; false, with an error entry, past a bound.
bool Charge(EntryWalk& walk, size_t bytes) {
    walk.bytes += bytes;
    if (++walk.entries > kMaxArchivedEntries) return TooMany(walk);
    return walk.bytes <= kMaxArchivedBytes || TooLarge(walk);
}

FileRead ReadAll(int fd, size_t limit, std::vector<uint8_t>& bytes) {
    uint8_t piece[kReadPiece];
    for (;;) {
        const ssize_t got = read(fd, piece, sizeof piece);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return FileRead::kFailed;
        if (got == 0) return FileRead::kRead;
        if (bytes.size() + static_cast<size_t>(got) > limit) return FileRead::kTooLarge;
        bytes.insert(bytes.end(), piece, piece + got);
    }
}

FileRead ReadOpenFile(int fd, size_t limit, std::vector<uint8_t>& bytes) {
    struct stat status {};
    if (fstat(fd, &status) != 0) return FileRead::kFailed;
    if (!S_ISREG(status.st_mode)) return FileRead::kNotPlain;
    if (static_cast<uint64_t>(status.st_size) > limit) return FileRead::kTooLarge;
    return ReadAll(fd, limit, bytes);
}

// The bytes of a plain file, at most limit of them.
FileRead ReadPlainFile(const fs::path& path, size_t limit, std::vector<uint8_t>& bytes) {
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == ELOOP ? FileRead::kNotPlain : FileRead::kFailed;
    const FileRead result = ReadOpenFile(fd, limit, bytes);
    close(fd);
    return result;
}

bool AddFile(ACSChunkRef& tree, const Kiv::PString& name, const fs::path& path, EntryWalk& walk) {
    std::vector<uint8_t> bytes;
    switch (ReadPlainFile(path, kMaxArchivedBytes - walk.bytes, bytes)) {
    case FileRead::kNotPlain:
        Skip(walk, path, "only folders and plain files are archived.");
        return true;
    case FileRead::kTooLarge:
        return TooLarge(walk);
    case FileRead::kFailed:
        walk.run.Error(walk.kuid, "Cannot read " + path.string() + ".");
        return false;
    case FileRead::kRead:
        break;
    }
    const std::vector<uint8_t> blob = MakeCDPFileBlob(bytes);
    if (!Charge(walk, blob.size())) return false;
    const ACSRawDataRef value =
        ACSRawDataRef::CopyBytes(static_cast<uint32_t>(blob.size()), blob.data());
    tree->AddChild(name, tree->CreateTag(ACSTagType::Blob, value));
    return true;
}

bool AddFolder(ACSChunkRef& tree, const fs::path& folder, int depth, EntryWalk& walk);

bool AddEntry(ACSChunkRef& tree, const fs::directory_entry& entry, int depth, EntryWalk& walk) {
    const std::string name = entry.path().filename().string();
    if (depth == 0 && IsConfigFile(name)) return true;
    if (name.size() > BinarySoupFormat::kMaxNameLength) {
        Skip(walk, entry.path(), "its name is too long for an archive.");
        return true;
    }
    std::error_code error;
    const fs::file_status status = entry.symlink_status(error);
    if (!error && fs::is_regular_file(status)) {
        return AddFile(tree, Kiv::PString(name), entry.path(), walk);
    }
    if (error || !fs::is_directory(status)) {
        Skip(walk, entry.path(), "only folders and plain files are archived.");
        return true;
    }
    ACSChunkRef sub;
    sub.EnsureContainer();
    if (!Charge(walk, 0) || !AddFolder(sub, entry.path(), depth + 1, walk)) return false;
    tree->AddChild(Kiv::PString(name), sub);
    return true;
}

// The folder's entries in name order; false, with an error entry, when it cannot be read
// or holds more entries than the walk may still take.
bool ListFolder(const fs::path& folder, EntryWalk& walk, std::vector<fs::directory_entry>& list) {
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        if (walk.entries + list.size() >= kMaxArchivedEntries) return TooMany(walk);
        list.push_back(*entries);
    }
    if (error) {
        walk.run.Error(walk.kuid, "The folder " + folder.string() + " cannot be read.");
        return false;
    }
    std::sort(list.begin(), list.end(),
              [](const fs::directory_entry& a, const fs::directory_entry& b) {
                  return a.path().filename().string() < b.path().filename().string();
              });
    return true;
}

bool AddFolder(ACSChunkRef& tree, const fs::path& folder, int depth, EntryWalk& walk) {
    if (depth > kMaxArchivedFolderDepth) {
        walk.run.Error(walk.kuid, "The folders below " + folder.parent_path().string() +
                                      " are nested too deeply for an archive.");
        return false;
    }
    std::vector<fs::directory_entry> list;
    if (!ListFolder(folder, walk, list)) return false;
    for (const fs::directory_entry& entry : list) {
        if (!AddEntry(tree, entry, depth, walk)) return false;
    }
    return true;
}

// The asset's config with its files, compression and checksum; an empty handle, with an
// error entry, when the asset cannot be handed over.
ACSChunkRef ArchivedEntry(AssetTable& table, const KUID& kuid, InstallRun& run) {
    const std::optional<AssetRecord> record = table.Find(kuid);
    if (!record) {
        run.Error(kuid, "The asset is not in the database.");
        return ACSChunkRef();
    }
    const fs::path folder = table.FolderOf(*record, false);
    ACSChunkRef config = table.Config(record->kuid);
    if (config.IsNull() ||
        config.GetNamedTagAsKUID(Kiv::PString("kuid"), KUID::Null()) != record->kuid) {
        run.Error(record->kuid, "The config in " + folder.string() + " cannot be read.");
        return ACSChunkRef();
    }
    EntryWalk walk{record->kuid, run};
    ACSChunkRef files;
    files.EnsureContainer();
    if (!AddFolder(files, folder, 0, walk)) return ACSChunkRef();
    config.SetNamedSoup(Kiv::PString("files"), files);
    config.SetNamedTagString(Kiv::PString("compression"), kCDPFileCompression);
    CDPAsset(config).SetChecksum();
    return config;
}

} // namespace

bool AnswerArchivedAsset(AssetRequests& assets, const DaemonRequest& request,
                         DaemonResponse& response) {
    if (request.id != kRequestArchivedAsset) return false;
    AssetCall call(request);
    const KUID kuid = KUID::ReadBinary(call.In());
    int32_t mode = 0; // read only to know the request whole
    call.In().ReadInt32(mode, 0);
    InstallRun run(request, false);
    ACSChunkRef entry;
    if (call.Short()) {
        run.Error(KUID::Null(), "The archive request is incomplete.");
    } else {
        entry = ArchivedEntry(assets.Table(), kuid, run);
    }
    TDBBinaryFile::WriteSoup(call.Out(), entry);
    run.MoveNotesTo(response);
    response.reply = call.Reply();
    return true;
}
