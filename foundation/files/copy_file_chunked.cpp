// CopyFileChunked: one buffer of min(size, 16 MB), filled and emptied until the source's
// length is copied; both streams' errors are checked at the end. The destination is
// compared with the source by device and inode under the name the engine would open, so
// case-resolved names and hard links are caught as well as the plain name.
#include "foundation/files/copy_file_chunked.h"

#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/path_policy.h"
#include "foundation/streams/t_file.h"

namespace {

using Result = Kiv::File::Result;

// True when the path names the file already open as handle.
bool IsOpenFile(int handle, const char* path) {
    struct stat opened {};
    struct stat named {};
    if (fstat(handle, &opened) != 0) return false;
    const std::string real = Kiv::PathPolicy::Resolve(path);
    if (stat(real.c_str(), &named) != 0) return false;
    return opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

} // namespace

Result CopyFileChunked(const Kiv::File::Path& source, const Kiv::File::Path& destination) {
    TFile in;
    const Result opened = in.GetFile()->Open(source.c_str(), TFile::kModeRead);
    if (!opened) return opened;
    if (IsOpenFile(in.GetFile()->GetHandle(), destination.c_str()))
        return Result(Result::kSameFile);
    TFile out;
    const Result created = out.GetFile()->Open(destination.c_str(), TFile::kModeCreate);
    if (!created) return created;
    int64_t left = in.Size();
    std::vector<uint8_t> chunk(static_cast<size_t>(std::clamp<int64_t>(left, 0, kCopyChunkBytes)));
    while (left > 0) {
        size_t piece = static_cast<size_t>(std::min<int64_t>(left, kCopyChunkBytes));
        if (in.ReadBytes(chunk.data(), piece) != piece) return Result(Result::kFailed);
        if (out.WriteBytes(chunk.data(), piece) != piece) return Result(Result::kFailed);
        left -= static_cast<int64_t>(piece);
    }
    if (in.GetError() != 0 || out.GetError() != 0) return Result(Result::kFailed);
    return Result();
}
