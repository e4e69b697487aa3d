// A walk of the "files" tree with the extraction's rules; the depth is bounded as the
// extraction bounds it, so a hostile tree cannot make the walk deep.
#include "daemon/archive_skipped_files.h"

#include "foundation/cdp/cdp_archive.h"
#include "foundation/soup/chunk.h"

namespace {

constexpr int kMaxFolderDepth = 512;

void Walk(const ACSChunkRef& folder, const std::string& prefix, int depth,
          std::vector<std::string>& skipped) {
    if (depth > kMaxFolderDepth) return;
    const int32_t count = folder.CountTags();
    for (int32_t i = 0; i < count; ++i) {
        Kiv::PString name;
        ACSChunkRef child;
        if (!folder->GetIndexedChild(i, name, child)) continue;
        const std::string path = prefix + std::string(name.View());
        const bool isFolder = child->GetType() == ACSTagType::Container;
        const bool allowed =
            CDPArchive::IsValidFileName(name.View()) &&
            (isFolder ? CDPArchive::IsValidPath(path)
                      : CDPArchive::IsAllowedFileType(Kiv::File::Path(path.c_str())));
        if (!allowed) {
            skipped.push_back(path);
        } else if (isFolder) {
            Walk(child, path + "/", depth + 1, skipped);
        }
    }
}

} // namespace

std::vector<std::string> SkippedArchiveFiles(const ACSChunkRef& files) {
    std::vector<std::string> skipped;
    Walk(files, "", 0, skipped);
    return skipped;
}
