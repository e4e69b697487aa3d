// installfrompath and the folder walk behind it. Each folder is read once (the engine's
// search): its listing tells whether it holds a config, and which sub-folders to search.
// The walk goes down at most 512 levels, and symbolic links to folders are never searched,
// so a link that points back up the tree cannot make the walk endless. A folder whose request
// the link did not carry (the daemon gone) is named in an error and fails the command; the
// walk goes on, so every folder left out is named. So does a folder the daemon did not
// install (it answers the null KUID, its own entries saying why): the command fails unless
// every asset folder found was installed, and a tree without any says so.
#include <sys/stat.h>

#include <string>
#include <string_view>
#include <vector>

#include "client/commands/install_commands.h"
#include "link/kav/kav_client.h"
#include "engine/ascii.h"
#include "engine/file_find.h"
#include "engine/path_policy.h"
#include "foundation/results/results_log.h"

namespace KodrinUtil {

namespace {

constexpr int kMaxSearchDepth = 512;
// A folder holding either (names compared ignoring case) is an asset folder.
const char* const kConfigNames[] = {"config.txt", "config.chump"};

struct Walk {
    ResultsLog& log;
    int32_t option;
    bool& result;
    ConflictQuestionHandler* handler;
    int32_t lost = 0;  // folders whose request the link did not carry
    int32_t refused = 0;  // folders the daemon answered without installing them
    bool reportedDepth = false;
};

struct Listing {
    bool holdsConfig = false;
    std::vector<std::string> folders;
};

Kiv::File::Path Below(const Kiv::File::Path& folder, const char* name) {
    Kiv::File::Path path = folder;
    path.AddPath(name);
    return path;
}

bool IsConfigName(std::string_view name) {
    for (const char* config : kConfigNames) {
        if (Kiv::Ascii::EqualsIgnoreCase(name, config)) return true;
    }
    return false;
}

// False when the path is no folder that can be read.
bool ReadListing(const Kiv::File::Path& folder, Listing& listing) {
    Kiv::File::Find find;
    if (!find.Open(Below(folder, "*").c_str())) return false;
    while (find.Next()) {
        if (IsConfigName(find.GetName())) listing.holdsConfig = true;
        if (find.IsFolder()) listing.folders.emplace_back(find.GetName());
    }
    return true;
}

bool IsSymbolicLink(const Kiv::File::Path& path) {
    const std::string resolved = Kiv::PathPolicy::Resolve(path.View());
    struct stat status {};
    return lstat(resolved.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

bool Cancelled(const Walk& walk) {
    return walk.handler && walk.handler->IsCancelled();
}

void ReportTooDeep(const Kiv::File::Path& folder, Walk& walk) {
    if (walk.reportedDepth) return;
    walk.reportedDepth = true;
    const std::string text =
        "The folders below " + std::string(folder.View()) + " are nested too deeply to search.";
    AddError(walk.log, text.c_str());
}

void ReportNotInstalled(const Kiv::File::Path& folder, Walk& walk) {
    ++walk.lost;
    const std::string text = "The asset folder " + std::string(folder.View()) +
                             " was not installed: " + kLinkLost;
    AddError(walk.log, text.c_str());
}

int32_t Visit(const Kiv::File::Path& path, Walk& walk, int depth, bool searchable) {
    Listing listing;
    if (path.IsEmpty() || !ReadListing(path, listing)) return 0;
    if (listing.holdsConfig) {
        bool answered = false;
        const KUID installed = KAVClient::InstallFromFolder(
            Kiv::String(path.View()), walk.option, &walk.log, walk.result, walk.handler, &answered);
        if (!answered) ReportNotInstalled(path, walk);
        else if (installed.IsNull()) ++walk.refused;
        return 1;
    }
    if (!searchable || listing.folders.empty()) return 0;
    if (depth >= kMaxSearchDepth) {
        ReportTooDeep(path, walk);
        return 0;
    }
    int32_t count = 0;
    for (const std::string& name : listing.folders) {
        const Kiv::File::Path entry = Below(path, name.c_str());
        count += Visit(entry, walk, depth + 1, !IsSymbolicLink(entry));
        if (Cancelled(walk)) break;
    }
    return count;
}

} // namespace

int32_t InstallFromPath(const Kiv::File::Path& path, ResultsLog& log, int32_t option, bool& result,
                        ConflictQuestionHandler* handler, int32_t* lost, int32_t* refused) {
    Walk walk{log, option, result, handler};
    const int32_t sent = Visit(path, walk, 0, true);
    if (lost) *lost = walk.lost;
    if (refused) *refused = walk.refused;
    return sent;
}

int CommandInstallFromPath(CommandContext& context) {
    const Kiv::File::Path path = AbsoluteArgumentPath(context.Element(2));
    if (!Kiv::File::Exists(path.c_str())) {
        AddError(context.log, "Invalid input path.");
        return -1;
    }
    bool result = false;
    int32_t lost = 0;
    int32_t refused = 0;
    const int32_t errorsBefore = context.log.ErrorCount();
    const int32_t sent = InstallFromPath(path, context.log, 0, result, nullptr, &lost, &refused);
    if (sent == 0) {
        const std::string text = "No asset folder (one holding config.txt or config.chump) was found at "
                                 "or below " + std::string(path.View()) + ".";
        AddError(context.log, text.c_str());
        return -1;
    }
    if (refused != 0 && context.log.ErrorCount() == errorsBefore) {
        const std::string text = std::to_string(refused) + " of the " + std::to_string(sent) +
                                 " asset folders found were not installed.";
        AddError(context.log, text.c_str());
    }
    return lost == 0 && refused == 0 ? 0 : -1;
}

} // namespace KodrinUtil
