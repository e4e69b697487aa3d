// The folder walk that starts the conversion jobs and waits for them. A tree deeper than
// 512 folders is not searched further; its deepest folder reports it cannot be searched.
// Each folder first gets back the descriptions that a run ended by force left under their
// temporary names; an interrupt request stops the walk from starting more jobs.
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
#include "foundation/crash/interrupt_request.h"
#include "foundation/files/file_paths.h"
#include "foundation/results/results_log.h"

namespace {

constexpr std::string_view kDescriptionEnding = ".texture.txt";
constexpr std::string_view kAsideEnding = ".convert-tex.txt";
constexpr int32_t kAllConverted = 2;
constexpr int32_t kSomeFailed = 0;
constexpr int kMaxFolderDepth = 512;

bool EndsWithIgnoringCase(std::string_view name, std::string_view ending) {
    return name.size() >= ending.size() &&
           Kiv::Ascii::EqualsIgnoreCase(name.substr(name.size() - ending.size()), ending);
}

bool IsTextureDescriptionName(std::string_view name) {
    return EndsWithIgnoringCase(name, kDescriptionEnding);
}

Kiv::File::Path UnderLocation(const Kiv::PString& location, const Kiv::File::Path& path) {
    Kiv::File::Path full(location.c_str());
    full.AddPath(path.c_str());
    return full;
}

bool IsSymbolicLink(const Kiv::File::Path& path) {
    const std::string resolved = Kiv::PathPolicy::Resolve(path.View());
    struct stat status {};
    return lstat(resolved.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

// A description still under its temporary name gets its own name back when that is free,
// with a warning; one whose own name is taken again is left alone.
void RestoreAside(const Kiv::PString& location, const Kiv::File::Path& folder, std::string_view name,
                  ResultsLog& log) {
    Kiv::File::Path aside = folder;
    aside.AddPath(std::string(name).c_str());
    const std::string ownName =
        std::string(name.substr(0, name.size() - kAsideEnding.size())) + std::string(kDescriptionEnding);
    Kiv::File::Path own = folder;
    own.AddPath(ownName.c_str());
    if (FileExistsUnder(location, own) || !RenameFileUnder(location, aside, own)) return;
    const ResultsLogParameters parameters = {{"FILE_NAME", WithForwardSlashes(own.View())},
                                             {"TEMPORARY_NAME", std::string(name)}};
    log.AddEntry(ResultsLogKind::Warning, nullptr,
                 "Restored the texture description '$(FILE_NAME)' that an interrupted conversion "
                 "left as '$(TEMPORARY_NAME)'",
                 &parameters);
}

void RestoreAsideDescriptions(const Kiv::PString& location, const Kiv::File::Path& folder,
                              const Kiv::File::Path& pattern, ResultsLog& log) {
    Kiv::File::Find find;
    if (!find.Open(pattern.c_str())) return;
    while (find.Next()) {
        if (!find.IsFolder() && EndsWithIgnoringCase(find.GetName(), kAsideEnding))
            RestoreAside(location, folder, find.GetName(), log);
    }
}

int32_t ConvertFolder(const Kiv::PString& location, const Kiv::File::Path& folder, ResultsLog& log,
                      int depth) {
    Kiv::File::Path pattern = UnderLocation(location, folder);
    pattern.AddPath("*");
    if (depth < kMaxFolderDepth) RestoreAsideDescriptions(location, folder, pattern, log);
    Kiv::File::Find find;
    if (depth >= kMaxFolderDepth || !find.Open(pattern.c_str())) {
        const ResultsLogParameters parameters = {{"FILE_NAME", folder.c_str()}};
        log.AddEntry(ResultsLogKind::Error, nullptr, "Unable to search path: '$(FILE_NAME)'", &parameters);
        return kSomeFailed;
    }
    int32_t result = kAllConverted;
    std::vector<std::unique_ptr<KAVTextureConvertFileRPC>> jobs;
    while (find.Next()) {
        if (IsInterruptRequested()) {
            result = kSomeFailed;
            break;
        }
        const std::string_view name = find.GetName();
        if (IsDotDirectory(name)) continue;
        Kiv::File::Path entry = folder;
        entry.AddPath(find.GetName());
        if (find.IsFolder()) {
            if (IsSymbolicLink(UnderLocation(location, entry))) continue;
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
