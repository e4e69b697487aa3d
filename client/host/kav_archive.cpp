// Writing and installing 'karc' archives. Installing reads the whole archive through the
// checked walk (kav_archive_reader.h); an entry is installed only when the soup's own "kuid"
// is the entry's KUID, so an entry cannot install an asset the daemon did not ask for.
#include "client/host/kav_archive.h"

#include "client/commands/install_archived_asset.h"
#include "client/host/kav_archive_format.h"
#include "client/host/kav_archive_reader.h"
#include "link/kav/kav_client.h"
#include "engine/pstring.h"
#include "foundation/cdp/cdp_asset.h"
#include "foundation/results/results_log.h"
#include "foundation/soup/binary_file.h"
#include "foundation/streams/t_file.h"
#include "foundation/text/interface_text.h"

namespace {

// Archive entries are the daemon's plain form of an asset.
constexpr int32_t kArchivedAssetMode = 0;

void AddVersionError(ResultsLog& log, int32_t version) {
    ACSChunkRef parameters;
    parameters.EnsureContainer();
    parameters.SetNamedTagInt(Kiv::PString("version"), version);
    log.AddEntry(ResultsLogKind::Error, nullptr,
                 GetInterfaceText(Kiv::PString("$kav_archive_version")), parameters);
}

// Installs the entry when its soup is the asset it is filed under; true when installed.
bool InstallEntry(const KUID& kuid, TStream& stream, int32_t options, ResultsLog& log) {
    CDPAsset asset;
    asset.Read(stream);
    if (asset.GetConfig().IsNull() || asset.GetKUID() != kuid) return false;
    bool committed = false;
    return !KodrinUtil::InstallArchivedAsset(asset, log, options, committed, nullptr).IsNull();
}

} // namespace

int64_t KAVArchive::WriteHeader(TStream& stream, int32_t tag) {
    stream.WriteInt32(KAVArchiveFormat::kMagic);
    stream.WriteInt32(KAVArchiveFormat::kVersion);
    stream.WriteFloat(KAVArchiveFormat::kBuild);
    const int64_t endOffset = stream.WritePlaceholder();
    stream.WriteInt32(tag);
    return endOffset;
}

bool KAVArchive::WriteEntries(const KUIDList& list, TStream& stream, ResultsLog& log) {
    bool result = true;
    for (const KUID& kuid : list) {
        const CDPAsset asset = KAVClient::GetArchivedAsset(kuid, &log, kArchivedAssetMode);
        const ACSChunkRef& soup = asset.GetConfig();
        if (soup.GetNamedTagAsKUID(Kiv::PString("kuid"), KUID::Null()).IsNull()) {
            result = false;
            continue;
        }
        kuid.WriteBinary(stream);
        const int64_t next = stream.WritePlaceholder();
        TDBBinaryFile::WriteSoup(stream, soup);
        stream.WriteInt32At(next, static_cast<int32_t>(stream.Tell()));
    }
    KUID::Null().WriteBinary(stream);
    return result && stream.GetError() == 0;
}

bool KAVArchive::InstallFromFile(int32_t tag, KUIDList& list, const char* path, ResultsLog& log) {
    TFile file;
    file.Open(path, TFile::kModeReadShared);
    KAVArchiveHeader header;
    const KAVArchiveRead read =
        ReadKAVArchive(file, tag, header, [&](const KUID& kuid, TStream& entry) {
            if (list.Find(kuid) == list.end()) return;
            const int32_t options =
                header.thisBuild ? KodrinUtil::kInstallCommitted | KodrinUtil::kInstallCommitPassOn
                                 : KodrinUtil::kInstallCommitted;
            if (InstallEntry(kuid, entry, options, log)) list.Erase(list.Find(kuid));
        });
    switch (read) {
    case KAVArchiveRead::kComplete:
        return true;
    case KAVArchiveRead::kVersion:
        AddVersionError(log, header.version);
        return false;
    case KAVArchiveRead::kUnreadable:
        break;
    }
    log.AddEntry(ResultsLogKind::Error, nullptr,
                 GetInterfaceText(Kiv::PString("$kav_archive_unreadable")));
    return false;
}
