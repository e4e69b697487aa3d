// The folder walk that starts the conversion jobs and waits for them. A tree deeper than
// 512 folders is not searched further; its deepest folder reports it cannot be searched.
#include "content3d/compress_texture_command.h"

#include <sys/stat.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "content3d/textures/kav_texture_convert_file_rpc.h"
#include "engine/ascii.h"
#include "engine/file_find.h"
#include "engine/path_policy.h"
#include "foundation/files/file_paths.h"
#include "foundation/results/results_log.h"

namespace {

constexpr std::string_view kDescriptionEnding = ".texture.txt";
constexpr int32_t kAllConverted = 2;
constexpr int32_t kSomeFailed = 0;
constexpr int kMaxFolderDepth = 512;

bool IsTextureDescriptionName(std::string_view name) {
    return name.size() >= kDescriptionEnding.size() &&
           Kiv::Ascii::EqualsIgnoreCase(name.substr(name.size() - kDescriptionEnding.size()),
                                        kDescriptionEnding);
}

bool IsSymbolicLink(const Kiv::File::Path& path) {
    const std::string resolved = Kiv::PathPolicy::Resolve(path.View());
    struct stat status {};
    return lstat(resolved.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

int32_t ConvertFolder(const Kiv::PString& location, const Kiv::File::Path& folder, ResultsLog& log,
                      int depth) {
    Kiv::File::Path pattern = PathUnder(location, folder);
    pattern.AddPath("*");
    Kiv::File::Find find;
    if (depth >= kMaxFolderDepth || !find.Open(pattern.c_str())) {
        const ResultsLogParameters parameters = {{"FILE_NAME", folder.c_str()}};
        log.AddEntry(ResultsLogKind::Error, nullptr, "Unable to search path: '$(FILE_NAME)'", &parameters);
        return kSomeFailed;
    }
    int32_t result = kAllConverted;
    std::vector<std::unique_ptr<KAVTextureConvertFileRPC>> jobs;
    while (find.Next()) {
        const std::string_view name = find.GetName();
        if (IsDotDirectory(name)) continue;
        Kiv::File::Path entry = folder;
        entry.AddPath(find.GetName());
        if (find.IsFolder()) {
            if (IsSymbolicLink(PathUnder(location, entry))) continue;
            if (ConvertFolder(location, entry, log, depth + 1) != kAllConverted) result = kSomeFailed;
        } else if (IsTextureDescriptionName(name)) {
            jobs.push_back(std::make_unique<KAVTextureConvertFileRPC>());
            jobs.back()->Start(location, entry, log);
        }
    }
    for (const std::unique_ptr<KAVTextureConvertFileRPC>& job : jobs) {
        if (!job->Wait()) result = kSomeFailed;
    }
    return result;
}

}  // namespace

int32_t CompressTexturesUnderPath(const Kiv::PString& location, const char* folder, ResultsLog& log) {
    return ConvertFolder(location, Kiv::File::Path(folder), log, 0);
}

int32_t CompressTextureCommand(const Kiv::PString& location, const char* folder, ResultsLog& log) {
    return CompressTexturesUnderPath(location, folder, log);
}
