// CDP round trip: an archive made from fuzzed files (the first byte: the compression level,
// or stored files when it is 10 or more; then per file a folder byte, a 16-bit length and
// the bytes) is saved, opened again, checked and extracted to the same bytes.
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "foundation/cdp/cdp_archive.h"
#include "foundation/cdp/cdp_asset.h"
#include "foundation/lzss/lzss_compress.h"
#include "foundation/soup/container_tag.h"
#include "foundation/soup/raw_data.h"
#include "fuzz_support.h"

namespace {

constexpr size_t kMaxFiles = 32;
const char* const kExtensions[] = {".txt", ".pm", ".texture", ".bmp"};

struct FileEntry {
    std::string path; // "f3.pm" or "sub/f3.pm"
    fuzz::Bytes bytes;
};

std::vector<FileEntry> ReadEntries(const uint8_t* data, size_t size) {
    std::vector<FileEntry> files;
    for (size_t at = 0; at + 3 <= size && files.size() < kMaxFiles;) {
        const uint8_t where = data[at];
        const size_t length = std::min<size_t>(data[at + 1] | data[at + 2] << 8, size - at - 3);
        std::string name = "f" + std::to_string(files.size()) + kExtensions[where % 4];
        if (where & 4) name = "sub/" + name;
        files.push_back({name, fuzz::Bytes(data + at + 3, data + at + 3 + length)});
        at += 3 + length;
    }
    return files;
}

void AddFile(ACSChunkRef& files, const FileEntry& file, int level) {
    fuzz::Bytes stored = file.bytes;
    if (level < 10) {
        stored = {0, 0, 0, 0};
        const std::vector<uint8_t> stream = Kiv::LZSSCompress().Compress(file.bytes, level);
        stored.insert(stored.end(), stream.begin(), stream.end());
    }
    ACSChunkRef folder = files;
    std::string name = file.path;
    if (name.rfind("sub/", 0) == 0) {
        folder = files.GetNamedSoup("sub");
        if (!folder.Get()) {
            folder = ACSChunkRef::Adopt(new TDBContainerTag());
            files->AddChild("sub", folder);
        }
        name = name.substr(4);
    }
    const ACSRawDataRef value =
        ACSRawDataRef::CopyBytes(static_cast<uint32_t>(stored.size()), stored.data());
    folder->AddChild(name.c_str(), ACSChunkRef::Adopt(new TDBContainerTag())
                                       ->CreateTag(ACSTagType::Blob, value));
}

fuzz::Bytes Load(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return fuzz::Bytes(std::istreambuf_iterator<char>(in), {});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int level = data[0];
    const std::vector<FileEntry> entries = ReadEntries(data + 1, size - 1);
    CDPAsset asset;
    ACSChunkRef config = asset.GetConfig();
    config.SetNamedTagKUID("kuid", KUID(1, 2, 0));
    config.SetNamedTagString("kind", "mesh");
    if (level >= 10) config.SetNamedTagString("compression", "");
    ACSChunkRef files = ACSChunkRef::Adopt(new TDBContainerTag());
    config->AddChild("files", files);
    for (const FileEntry& entry : entries) AddFile(files, entry, level);
    asset.SetChecksum();

    const std::filesystem::path& scratch = fuzz::ScratchFolder();
    const std::filesystem::path out = scratch / "out";
    std::filesystem::remove_all(out);
    CDPArchive archive;
    fuzz::Require(archive.AddAsset(config).IsEmpty(), "asset added");
    fuzz::Require(archive.Save((scratch / "trip.cdp").c_str()).IsEmpty(), "archive saved");
    CDPArchive opened;
    fuzz::Require(opened.Open(scratch.c_str(), "trip.cdp").IsEmpty(), "saved archive opens");
    fuzz::Require(opened.CountAssets() == 1, "one asset");
    const CDPAsset back = opened.GetAsset(0);
    fuzz::Require(back.VerifyChecksum(), "checksum holds");
    fuzz::Require(CDPArchive::ExtractFiles(back.GetFiles(), Kiv::PString(out.c_str()), "",
                                           back.GetCompression())
                      .IsEmpty(),
                  "extracts");
    for (const FileEntry& entry : entries)
        fuzz::Require(Load(out / entry.path) == entry.bytes, "extracts to the same bytes");
    std::filesystem::remove_all(out);
    return 0;
}
