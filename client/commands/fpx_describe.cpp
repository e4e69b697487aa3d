// Describing one asset of a download-service archive: its status line and validation, the
// information lines the service reads back (each naming the asset through the log's
// context), and the asset's own archive and thumbnail written beside the service's
// archive. Nothing here changes the command's result.
#include <cstdio>
#include <string>

#include "client/commands/asset_commands.h"
#include "client/commands/fpx_commands.h"
#include "link/kav/kav_client.h"
#include "foundation/files/copy_file_chunked.h"
#include "foundation/results/kodrin_property.h"
#include "foundation/results/results_log.h"

namespace KodrinUtil {

namespace {

// Request 29's value that asks for the asset's thumbnail file.
constexpr int32_t kThumbnailFile = 240;
// Request 20's argument.
constexpr int32_t kConfigArgument = 1;

void AddLine(ResultsLog& log, const std::string& line) {
    log.AddEntry(ResultsLogKind::Information, nullptr, Kiv::String(line));
}

std::string Escaped(const Kiv::String& text) {
    return EscapeText(text.c_str()).Std();
}

std::string BuildText(float build) {
    char text[64];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(build));
    return text;
}

std::string KUIDTags(bool (*list)(const KUID&, KUIDList&), const KUID& kuid) {
    KUIDList kuids;
    list(kuid, kuids);
    return std::string(JoinKUIDTags(kuids).View());
}

void AddRecordLines(const KUID& kuid, ResultsLog& log) {
    KAVAssetInfo info;
    KAVClient::GetAssetInfo(kuid, info, kAssetDetailAll);
    AddLine(log, "Name: " + Escaped(KAVClient::GetAssetName(kuid)));
    AddLine(log, "Description: " + Escaped(KAVClient::GetAssetDescription(kuid)));
    AddLine(log, "Kodrin-build: " + BuildText(info.build));
    AddLine(log, "Dependencies: " + KUIDTags(KAVClient::GetDependencyListOf, kuid));
    AddLine(log, "Obsoletes: " + KUIDTags(KAVClient::GetAssetDependencies, kuid));
}

void AddConfigLines(const KUID& kuid, ResultsLog& log) {
    const ACSChunkRef config = KAVClient::GetAssetConfig(kuid, kConfigArgument);
    const KUID alias = config.GetNamedTagAsKUID(Kiv::PString("alias"), KUID::Null());
    AddLine(log, "kind: " + config.GetNamedTag(Kiv::PString("kind")).Std());
    AddLine(log, "alias-kuid: " + std::string(alias.ToTag().View()));
    AddLine(log, "category-region: " + Escaped(KAVClient::GetAssetRegionCategory(kuid)));
    AddLine(log, "category-era: " + Escaped(KAVClient::GetAssetEraCategory(kuid)));
    AddLine(log, "category-class: " +
                     Escaped(config.GetNamedTag(Kiv::PString("category-class"))));
}

// The daemon's thumbnail file when it is a JPEG, else the archive's picture when it has one.
void WriteAssetThumbnail(const KUID& kuid, const Kiv::File::Path& target,
                         const ACSRawDataRef& archiveThumbnail) {
    Kiv::PString location;
    Kiv::File::Path file;
    KAVClient::LocateAssetFile(kuid, kThumbnailFile, location, file);
    if (file.IsExt("jpg")) {
        CopyFileChunked(file, target);
        return;
    }
    if (!archiveThumbnail.IsNull()) WriteThumbnail(archiveThumbnail, target.c_str());
}

}  // namespace

void DescribeFPXAsset(const KUID& kuid, const Kiv::File::Path& folder,
                      const ACSRawDataRef& archiveThumbnail, ResultsLog& log) {
    auto* asset = new KodrinPropertyAssetID(Kiv::PString("AssetID"), kuid);
    log.PushContext(asset);
    asset->Release();
    PrintAssetStatus(kuid, log);
    ValidateAsset(kuid, log);
    AddRecordLines(kuid, log);
    const std::string base = std::string(folder.View()) + kuid.ToConfigString().Std();
    WriteAssetToCDP(kuid, (base + ".cdp").c_str(), log);
    WriteAssetThumbnail(kuid, Kiv::File::Path((base + ".jpg").c_str()), archiveThumbnail);
    AddConfigLines(kuid, log);
    log.PopContext();
}

}  // namespace KodrinUtil
