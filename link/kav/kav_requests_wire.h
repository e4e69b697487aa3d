// The common steps of every request wrapper: a fresh payload buffer (0 and 512), the
// transaction with the reply rewound for reading, and the few wire forms that several
// wrappers share (the daemon's 8-byte asset handle, KUID lists). KUID lists coming from
// the daemon stop at the first short read, so a hostile count cannot grow a list past the
// bytes that actually arrived.
#pragma once

#include <cstdint>

#include "engine/file_path.h"
#include "engine/pstring.h"
#include "foundation/kuid/kuid.h"
#include "foundation/kuid/kuid_list.h"
#include "foundation/streams/buffer_stream.h"

class KAVQuestionHandler;
class ResultsLog;

// The request kinds the wrappers send; payload and reply layouts are at each wrapper.
enum KAVRequestId : int32_t {
    kReqQueryAssets = 2,
    kReqStartRepair = 3,
    kReqPollRepair = 4,
    kReqAssetConfig = 20,
    kReqAssetInfo = 21,
    kReqLocateAsset = 23,
    kReqResolveKUID = 26,
    kReqResolveKUIDLatest = 27,
    kReqAssetDescription = 28,
    kReqLocateAssetFile = 29,
    kReqOpenAsset = 30,
    kReqCloseAssetHandle = 31,
    kReqAssetDetails = 32,
    kReqRevertAsset = 33,
    kReqCommitAsset = 34,
    kReqCreateAsset = 35,
    kReqDeleteAsset = 36,
    kReqValidateAsset = 38,
    kReqInstallFromFolder = 39,
    kReqInstallArchiveFile = 40,
    kReqRecordDownloadSize = 41,
    kReqDependencyList = 42,
    kReqAssetDependencies = 43,
    kReqRecordLatestVersion = 47,
    kReqArchivedAsset = 48,
    kReqSetFavorite = 50,
    kReqSetKeywords = 54,
    kReqGenerateKUID = 58,
    kReqUserName = 90,
    kReqReadSettings = 100,
    kReqWriteSettings = 101,
    kReqReadSetting = 102,
    kReqWriteSetting = 103,
    kReqGetLocalData = 121,
    kReqSetLocalData = 122,
    kReqCudaDisabled = 181,
    kReqStartUrlFetch = 230,
    kReqReleaseUrlFetch = 231,
    kReqPollUrlFetch = 232,
    kReqOnlineProfile = 240,
    kReqLoginFailed = 241,
    kReqLoginCredential = 242,
    kReqListInstalledBuilds = 253,
    kReqRunPatcher = 256,
};

// The daemon's asset or download handle: both 32-bit halves -1 means none.
constexpr int64_t kNoDaemonHandle = -1;

// One request: the payload written by the caller, the reply read after a success.
class KAVRequest {
public:
    KAVRequest() : payload_(0, 512), reply_(0, 512) {}

    TStream& Payload() { return payload_.Stream(); }
    TStream& Reply() { return reply_.Stream(); }

    // Rewinds the payload, transacts and rewinds the reply; true on success.
    bool Send(int32_t requestId, KAVQuestionHandler* handler = nullptr, ResultsLog* log = nullptr,
              bool keepLog = false);

private:
    BufferStream payload_;
    BufferStream reply_;
};

// A KUID list: uint32 count, then the KUIDs.
void WriteKUIDList(TStream& stream, const KUIDList& list);
// Appends up to count KUIDs, stopping at the first that does not arrive whole.
void ReadKUIDList(TStream& stream, KUIDList& out);
// An asset's place as replies give it: PString location, then String path.
void ReadAssetLocation(TStream& stream, Kiv::PString& location, Kiv::File::Path& path);
