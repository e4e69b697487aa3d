// The files written beside a download-service archive: one asset's own archive and its
// thumbnail.
#include <span>
#include <string>

#include "client/commands/fpx_commands.h"
#include "link/kav/kav_client.h"
#include "foundation/cdp/cdp_archive.h"
#include "foundation/results/results_log.h"

namespace KodrinUtil {

namespace {

constexpr int32_t kArchiveEntryMode = 3;

}  // namespace

bool WriteAssetToCDP(const KUID& kuid, const char* path, ResultsLog& log) {
    CDPAsset entry = KAVClient::GetArchivedAsset(kuid, &log, kArchiveEntryMode);
    entry.SetChecksum();
    CDPArchive archive;
    archive.AddAsset(entry.GetConfig());
    const Kiv::PString error = archive.Save(path);
    if (!error.IsEmpty()) {
        log.AddEntry(ResultsLogKind::Error, nullptr,
                     Kiv::String(std::string("Unable to write asset to CDP: ") + error.c_str()));
    }
    return true;
}

bool WriteThumbnail(const ACSRawDataRef& data, const char* path) {
    const std::span<const uint8_t> bytes(data.Data(), data.Size());
    return CDPArchive::ExtractFile(bytes, Kiv::PString(""), Kiv::File::Path(path), Kiv::PString())
        .IsEmpty();
}

}  // namespace KodrinUtil
