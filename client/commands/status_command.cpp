// `status`: one line of an asset's state. The seven flag letters are a table read in
// output order; M and F each cost one more record request and count as set when that
// request fails, so an asset the tool cannot vouch for never looks sound.
#include <cstdint>
#include <string>

#include "client/commands/asset_commands.h"
#include "link/kav/kav_client.h"
#include "engine/ascii.h"
#include "foundation/console/console.h"

namespace KodrinUtil {

namespace {

bool HasMissingDependencies(const KUID& kuid) {
    return KAVClient::HasMissingDependencies(kuid, false);
}

// One status letter, upper case when its condition holds: a bit of one of the record's
// flag bytes, or a request of its own.
struct StatusFlag {
    char letter;
    uint8_t KAVAssetInfo::*flagByte;  // null: the query decides
    uint8_t bit;
    bool (*query)(const KUID& kuid);
};

const StatusFlag kStatusFlags[] = {
    {'E', &KAVAssetInfo::flags2, KAVAssetFlags::kOpenForEditing, nullptr},
    {'I', &KAVAssetInfo::flags1, KAVAssetFlags::kInstalledLocally, nullptr},
    {'A', &KAVAssetInfo::flags1, KAVAssetFlags::kArchived, nullptr},
    {'D', &KAVAssetInfo::flags1, KAVAssetFlags::kOnDownloadService, nullptr},
    {'L', &KAVAssetInfo::flags1, KAVAssetFlags::kLocallyModified, nullptr},
    {'M', nullptr, 0, HasMissingDependencies},
    {'F', nullptr, 0, KAVClient::IsAssetFaulty},
};

bool Holds(const StatusFlag& flag, const KUID& kuid, const KAVAssetInfo& info) {
    if (!flag.flagByte) return flag.query(kuid);
    return (info.*flag.flagByte & flag.bit) != 0;
}

std::string FlagLetters(const KUID& kuid, const KAVAssetInfo& info) {
    std::string letters;
    for (const StatusFlag& flag : kStatusFlags) {
        letters += Holds(flag, kuid, info) ? flag.letter
                                           : Kiv::Ascii::ToLower(flag.letter);
    }
    return letters;
}

}  // namespace

bool PrintAssetStatus(const KUID& kuid, ResultsLog& log) {
    KAVAssetInfo info;
    if (!KAVClient::GetAssetInfo(kuid, info, kAssetDetailAll)) {
        AddAssetError(log, kuid, "Unknown AssetID.");
        return false;
    }
    std::string line = "+ ";
    line += kuid.ToTag().View();
    line += " : " + FlagLetters(kuid, info);
    line += " : " + info.categoryText.Std();
    line += " : " + info.name.Std();
    WriteConsoleText(line);
    return true;
}

int CommandStatus(CommandContext& context) {
    return PrintAssetStatus(context.ArgumentKUID(), context.log) ? 0 : -1;
}

}  // namespace KodrinUtil
