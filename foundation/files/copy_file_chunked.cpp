// CopyFileChunked: one buffer of min(size, 16 MB), filled and emptied until the source's
// length is copied; both streams' errors are checked at the end.
#include "foundation/files/copy_file_chunked.h"

#include <algorithm>
#include <vector>

#include "foundation/streams/t_file.h"

bool CopyFileChunked(const Kiv::File::Path& source, const Kiv::File::Path& destination) {
    TFile in;
    in.Open(source.c_str(), TFile::kModeRead);
    if (!in.IsOpen()) return false;
    TFile out;
    out.Open(destination.c_str(), TFile::kModeCreate);
    if (!out.IsOpen()) return false;
    int64_t left = in.Size();
    std::vector<uint8_t> chunk(static_cast<size_t>(std::clamp<int64_t>(left, 0, kCopyChunkBytes)));
    while (left > 0) {
        size_t piece = static_cast<size_t>(std::min<int64_t>(left, kCopyChunkBytes));
        if (in.ReadBytes(chunk.data(), piece) != piece) return false;
        if (out.WriteBytes(chunk.data(), piece) != piece) return false;
        left -= static_cast<int64_t>(piece);
    }
    return in.GetError() == 0 && out.GetError() == 0;
}
