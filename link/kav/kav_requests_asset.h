// The asset requests of the daemon link, one wrapper per request kind: payload fields
// written in wire order into a fresh buffer, the reply read in order after a successful
// transaction, and a fixed answer when the request fails (noted per wrapper). Nothing here
// reports: the calling command decides what to print. KAVClient inherits these, so
// callers write KAVClient::GetAssetInfo(...).
#pragma once

#include <cstdint>

#include "link/kav/kav_asset_handle.h"
#include "link/kav/kav_asset_info.h"
#include "engine/file_path.h"
#include "engine/pstring.h"
#include "engine/string.h"
#include "foundation/cdp/cdp_asset.h"
#include "foundation/kuid/kuid.h"
#include "foundation/kuid/kuid_list.h"
#include "foundation/soup/chunk_ref.h"

class KAVFilterElement;
class KAVQuestionHandler;
class ResultsLog;

class KAVAssetRequests {
public:
    // 2: appends the KUIDs the filter matches; nothing on failure.
    static void QueryAssets(const KAVFilterElement* filter, KUIDList& out);
    // 3: starts a database repair (modes 150 extended, 100, 50 patcher); the log stays
    // registered for the notes that follow. False when no answer came (the link is gone).
    static bool StartRepair(int32_t mode, ResultsLog* log);
    // 4: true while the repair runs; false on failure, with answered false when no answer
    // came at all (the link is gone).
    static bool PollRepair(float& progress, Kiv::String& text, bool* answered = nullptr);
    // 256: the daemon's patcher step after a patcher repair.
    static void RunPatcher();

    // 20, unless the process's spec registry holds the asset: its config; none on failure.
    static ACSChunkRef GetAssetConfig(const KUID& kuid, int32_t unused);
    // The script file (extension "gs") and class of the asset's config; false without both.
    static bool GetAssetScriptInfo(const KUID& kuid, Kiv::File::Path& scriptPath,
                                   Kiv::String& className);

    // 21: fills the record; its valid byte, false when the request failed.
    static bool GetAssetInfo(const KUID& kuid, KAVAssetInfo& info, int32_t mask);
    // 21 with one part each: empty text on failure.
    static Kiv::String GetAssetName(const KUID& kuid);
    static Kiv::String GetAssetRegionCategory(const KUID& kuid);
    static Kiv::String GetAssetEraCategory(const KUID& kuid);
    static Kiv::String GetAssetKeywords(const KUID& kuid);
    // 21 flag questions: true on failure.
    static bool IsAssetLocallyModified(const KUID& kuid);
    static bool IsAssetLocal(const KUID& kuid);
    static bool IsAssetFaulty(const KUID& kuid);
    // Missing dependencies, or (with checkLocal) not installed locally.
    static bool HasMissingDependencies(const KUID& kuid, bool checkLocal);

    // 23: location and path, both empty on failure.
    static void LocateAsset(const KUID& kuid, bool flag, Kiv::PString& location,
                            Kiv::File::Path& path);
    // 26, 27: the daemon's KUID, the newest version's; the given KUID on failure.
    static KUID ResolveKUID(const KUID& kuid);
    static KUID ResolveKUIDLatest(const KUID& kuid);
    // 28: the localised description; empty on failure.
    static Kiv::String GetAssetDescription(const KUID& kuid);
    // 29: fills location and path, answers the daemon's number; 0 on failure.
    static uint32_t LocateAssetFile(const KUID& kuid, int32_t value, Kiv::PString& location,
                                    Kiv::File::Path& path);

    // 30: a handle without record when the daemon answers none or on failure.
    static KAVAssetHandle OpenAsset(const KUID& kuid, bool forEdit, ResultsLog* log);
    // 31: closes the daemon handle and drops the record's location.
    static void CloseAssetHandle(KAVAssetRecord& record);
    // 33: false on failure or without record; this copy of the handle is dropped.
    static bool RevertAsset(KAVAssetHandle handle, ResultsLog* log);
    // 34: false on failure or without record; clears the details, and on success for-edit.
    static bool CommitAsset(KAVAssetHandle& handle, int32_t value, ResultsLog* log,
                            bool& secondResult);
    // 35: a handle on the KUID the daemon gives, for edit; without record on failure.
    static KAVAssetHandle CreateAsset(const KUID& kuid, bool flag, const Kiv::String& text,
                                      ResultsLog* log = nullptr);
    // 36, 38: ok, false on failure.
    static bool DeleteAsset(const KUID& kuid, bool flag, ResultsLog* log);
    static bool ValidateAsset(const Kiv::PString& location, const Kiv::File::Path& path,
                              ResultsLog* log);
    // 39: the installed asset's KUID, null on failure. answered, when given, tells whether
    // the daemon answered at all: false when the link could not carry the request.
    static KUID InstallFromFolder(const Kiv::String& folder, int32_t mode, ResultsLog* log,
                                  bool& result, KAVQuestionHandler* handler,
                                  bool* answered = nullptr);
    // 40: the daemon's result, 0 on failure; answered as for 39.
    static uint32_t InstallArchiveFile(const Kiv::String& path, int32_t mode, ResultsLog* log,
                                       bool& result, KAVQuestionHandler* handler,
                                       bool* answered = nullptr);
    // 41: the download service's size of the asset's latest version.
    static void RecordDownloadSize(const KUID& kuid, int32_t size);

    // 42, 43 and one KUID through 42: append to out; always true.
    static bool GetDependencyList(const KUIDList& list, KUIDList& out);
    static bool GetAssetDependencies(const KUID& kuid, KUIDList& out);
    static bool GetDependencyListOf(const KUID& kuid, KUIDList& out);

    // 47: not sent for a null KUID or equal KUIDs.
    static void RecordLatestVersion(const KUID& requested, const KUID& latest);
    // 48: the archived asset; on failure only its "compression" setting.
    static CDPAsset GetArchivedAsset(const KUID& kuid, ResultsLog* log, int32_t mode);
    // 50, 54.
    static void SetAssetFavorite(const KUID& kuid, bool favorite);
    static void SetAssetKeywords(const KUID& kuid, const Kiv::String& keywords);
    // 58: a new KUID; null on failure.
    static KUID GenerateKUID();

    // 121, 122 under the lower-cased key; nothing is sent for an empty key.
    static ACSChunkRef GetLocalData(const KUID& kuid, const Kiv::PString& key);
    static void SetLocalData(const KUID& kuid, const Kiv::PString& key, const ACSChunkRef& soup);

    // 181: true on failure.
    static bool IsCudaDisabled();
    // 253: the build list text; empty on failure.
    static Kiv::PString ListInstalledBuilds();
};
