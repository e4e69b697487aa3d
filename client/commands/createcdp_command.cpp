// `createcdp`: a CDP archive of local assets, named on the command line as typed (the KUIDs
// parsed leniently). Every asset must reach the archive: one the daemon could not hand
// over (its entry then carries no "kuid" and the archive refuses it) stops the command
// with an error naming the asset, and no archive is written. Only the refusal of a KUID
// given twice is ignored, since the archive already holds that asset. The archive replaces
// an old file only once it is complete; a failed write keeps the old file and says why on
// standard error and in the log.
#include <cstdio>

#include "client/commands/asset_commands.h"
#include "link/kav/kav_client.h"
#include "foundation/cdp/cdp_archive.h"
#include "foundation/results/results_log.h"

namespace KodrinUtil {

namespace {

constexpr int32_t kArchiveEntryMode = 3;

bool IsInstalledLocally(const KUID& kuid) {
    KAVAssetInfo info;
    return KAVClient::GetAssetInfo(kuid, info, kAssetDetailAll) &&
           (info.flags1 & KAVAssetFlags::kInstalledLocally) != 0;
}

bool AddArchivedAsset(CDPArchive& archive, const char* text, ResultsLog& log) {
    const KUID kuid = KUID::Parse(text, false);
    if (kuid.IsNull()) {
        AddError(log, "Invalid AssetID.");
        return false;
    }
    if (!IsInstalledLocally(kuid)) {
        AddAssetError(log, kuid, "Asset is not local.");
        return false;
    }
    const CDPAsset entry = KAVClient::GetArchivedAsset(kuid, &log, kArchiveEntryMode);
    const KUID held = entry.GetKUID();
    if (!held.IsNull() && archive.FindAsset(held) >= 0) return true;
    const Kiv::PString error = archive.AddAsset(entry.GetConfig());
    if (error.IsEmpty()) return true;
    AddAssetError(log, kuid, error.c_str());
    return false;
}

}  // namespace

int CommandCreateCDP(CommandContext& context) {
    const Kiv::File::Path output(context.Element(2));
    if (!output.IsExt("cdp")) {
        AddError(context.log, "The output filename must have a .cdp extension.");
        return -1;
    }
    CDPArchive archive;
    for (int i = 3; i < context.argc; ++i)
        if (!AddArchivedAsset(archive, context.Element(i), context.log)) return -1;
    // An archive without assets gets its tables here; adding an asset builds them.
    archive.RebuildTables();
    const Kiv::PString error = archive.Save(output.c_str());
    if (error.IsEmpty()) return 0;
    std::fprintf(stderr, "%s\n", error.c_str());
    std::fflush(stderr);
    AddError(context.log, error.c_str());
    return -1;
}

}  // namespace KodrinUtil
