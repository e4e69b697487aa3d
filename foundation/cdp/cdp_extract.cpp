// Extraction of an asset's "files" tree onto disk. Only names that pass the name rules are
// used, so every path stays below the target folder. A tree nested deeper than 512 folders
// (or holding itself) is refused before anything is written. A file that fails after it
// was opened (a damaged stream, an unknown compression, a short write) is removed again, so
// no half-written file looks installed. LZSS files are decoded straight into the file, so
// memory stays within the codec's window whatever a stream decodes to.
#include <string>
#include <sys/stat.h>

#include "engine/file.h"
#include "engine/io_slave.h"
#include "foundation/cdp/cdp_archive.h"
#include "foundation/cdp/cdp_file_blob.h"
#include "foundation/cdp/cdp_messages.h"
#include "foundation/files/file_paths.h"
#include "foundation/lzss/lzss_compress.h"
#include "foundation/soup/chunk.h"

namespace {

constexpr int kMaxFolderDepth = 512;
// Create or replace, for writing.
constexpr uint32_t kOpenCreateWrite = 289;

// Only a regular file is removed after a failure: a device the path named stays.
bool IsRegularFile(const Kiv::File& file) {
    struct stat status {};
    return fstat(file.GetHandle(), &status) == 0 && S_ISREG(status.st_mode);
}

bool WriteAll(Kiv::File& file, std::span<const uint8_t> bytes) {
    return bytes.empty() || file.Write(bytes.data(), 1, bytes.size()) == bytes.size();
}

// The error of writing the file's content: the null text on success.
Kiv::PString WriteContent(Kiv::File& file, std::span<const uint8_t> bytes,
                          const Kiv::PString& compression) {
    if (compression.IsEmpty()) {
        if (WriteAll(file, bytes)) return Kiv::PString();
        return CDPArchive::SetError(CDPMessages::kCannotWriteFiles);
    }
    if (bytes.size() < kCDPFileLengthPrefix)
        return CDPArchive::SetError(CDPMessages::kDecompressFailed);
    if (compression != Kiv::PString(kCDPFileCompression))
        return CDPArchive::SetError(CDPMessages::kUnknownCompression);
    Kiv::IOSlaveFile sink(file);
    const bool decoded =
        Kiv::LZSSCompress().Decompress(bytes.subspan(kCDPFileLengthPrefix), sink);
    if (!sink.Flush()) return CDPArchive::SetError(CDPMessages::kCannotWriteFiles);
    if (!decoded) return CDPArchive::SetError(CDPMessages::kDecompressFailed);
    return Kiv::PString();
}

// True when some folder lies more than levels folders below this one.
bool IsDeeperThan(const ACSChunkRef& folder, int levels) {
    const int32_t count = folder.CountTags();
    for (int32_t i = 0; i < count; ++i) {
        Kiv::PString name;
        ACSChunkRef child;
        if (!folder->GetIndexedChild(i, name, child)) continue;
        if (child->GetType() != ACSTagType::Container) continue;
        if (levels == 0 || IsDeeperThan(child, levels - 1)) return true;
    }
    return false;
}

Kiv::PString ExtractTree(const ACSChunkRef& files, const Kiv::PString& baseFolder,
                         const Kiv::File::Path& relativePath, const Kiv::PString& compression);

// The error of one child of a files tree; the null text when it was written or skipped.
Kiv::PString ExtractChild(const Kiv::PString& name, const ACSChunkRef& child,
                          const Kiv::PString& baseFolder, const Kiv::File::Path& relativePath,
                          const Kiv::PString& compression) {
    if (!CDPArchive::IsValidFileName(name.View())) return Kiv::PString();
    Kiv::File::Path path = relativePath;
    path.AddPath(name.c_str());
    switch (child->GetType()) {
    case ACSTagType::Container:
        if (!CDPArchive::IsValidPath(path.View())) return Kiv::PString();
        return ExtractTree(child, baseFolder, path, compression);
    case ACSTagType::Blob: {
        if (!CDPArchive::IsAllowedFileType(path)) return Kiv::PString();
        const ACSRawDataRef bytes = ACSChunk::GetRawData(child);
        return CDPArchive::ExtractFile(std::span<const uint8_t>(bytes.Data(), bytes.Size()),
                                       baseFolder, path, compression);
    }
    default:
        return CDPArchive::SetError(CDPMessages::kUnknownDataType);
    }
}

Kiv::PString ExtractTree(const ACSChunkRef& files, const Kiv::PString& baseFolder,
                         const Kiv::File::Path& relativePath, const Kiv::PString& compression) {
    MakeDirectoryUnder(baseFolder, relativePath);
    Kiv::PString result;
    const int32_t count = files.CountTags();
    for (int32_t i = 0; i < count; ++i) {
        Kiv::PString name;
        ACSChunkRef child;
        if (!files->GetIndexedChild(i, name, child)) continue;
        const Kiv::PString error =
            ExtractChild(name, child, baseFolder, relativePath, compression);
        if (!error.IsEmpty()) result = error;
    }
    return result;
}

} // namespace

Kiv::PString CDPArchive::ExtractFiles(const ACSChunkRef& files, const Kiv::PString& baseFolder,
                                      const Kiv::File::Path& relativePath,
                                      const Kiv::PString& compression) {
    if (IsDeeperThan(files, kMaxFolderDepth)) return SetError(CDPMessages::kDamaged);
    return ExtractTree(files, baseFolder, relativePath, compression);
}

Kiv::PString CDPArchive::ExtractFile(std::span<const uint8_t> bytes, const Kiv::PString& baseFolder,
                                     const Kiv::File::Path& path,
                                     const Kiv::PString& compression) {
    Kiv::File file;
    if (!file.Open(baseFolder.c_str(), path.c_str(), kOpenCreateWrite))
        return SetError(CDPMessages::kCannotWriteFiles);
    const Kiv::PString error = WriteContent(file, bytes, compression);
    const bool removable = !error.IsEmpty() && IsRegularFile(file);
    const std::string written = file.GetPath();
    file.Close();
    if (removable) Kiv::File::Unlink(written.c_str());
    return error;
}
