// The jobs' table maps an id to the name logged and to the function that reads the payload
// and runs the job. A KUID count is read as sent: the first stream error (a count larger
// than the payload, or a negative one) makes the job short, so nothing is replied and no
// file is touched. After every job that was read whole, the unsupported ones included, the
// spec registry and the resources are let go, so the host holds nothing between jobs.
#include "client/host/command_host_callback.h"

#include "client/command_context.h"
#include "client/host/kav_archive.h"
#include "content3d/compress_texture_command.h"
#include "content3d/resource_database_holder.h"
#include "foundation/console/log_message.h"
#include "foundation/results/results_log.h"
#include "foundation/streams/t_buffer.h"
#include "foundation/streams/t_file.h"
#include "validation/darodi/purge_resources.h"
#include "validation/specs/spec_manager.h"
#include "validation/darodi/validate_asset_task.h"

namespace KodrinUtil {

namespace {

enum class JobRun { kReplied, kShort };

JobRun RunValidate(TBuffer& job, TBuffer& reply) {
    Kiv::PString folder;
    Kiv::PString path;
    job.ReadPString(folder);
    job.ReadPString(path);
    if (job.GetError() != 0) return JobRun::kShort;
    ResourceDatabaseHolder database;
    database.Open(folder.c_str());
    ResultsLog log;
    const bool valid = ValidateAssetTask::Execute(folder, Kiv::File::Path(path.c_str()), log);
    log.Write(reply, 0);
    reply.WriteBool(valid);
    database.Release();
    return JobRun::kReplied;
}

JobRun RunTextureConvert(TBuffer& job, TBuffer& reply) {
    Kiv::PString folder;
    Kiv::String path;
    job.ReadPString(folder);
    job.ReadString(path);
    if (job.GetError() != 0) return JobRun::kShort;
    ResourceDatabaseHolder database;
    database.Open(folder.c_str());
    ResultsLog log;
    const int32_t result = CompressTexturesUnderPath(folder, path.c_str(), log);
    log.Write(reply, 0);
    reply.WriteInt32(result);
    database.Release();
    return JobRun::kReplied;
}

struct ArchiveJob {
    int32_t tag = 0;
    Kiv::PString path;
    KUIDList kuids;
};

// False when the payload ends early or the count is negative.
bool ReadArchiveJob(TBuffer& job, ArchiveJob& out) {
    int32_t count = 0;
    job.ReadInt32(out.tag, 0);
    job.ReadPString(out.path);
    job.ReadInt32(count, 0);
    if (job.GetError() != 0 || count < 0) return false;
    for (int32_t i = 0; i < count; ++i) {
        const KUID kuid = KUID::ReadBinary(job);
        if (job.GetError() != 0) return false;
        out.kuids.PushBack(kuid);
    }
    return true;
}

// An output file that cannot be made fails the job before any asset is asked for.
JobRun RunArchiveSave(TBuffer& job, TBuffer& reply) {
    ArchiveJob request;
    if (!ReadArchiveJob(job, request)) return JobRun::kShort;
    ResultsLog log;
    TFile file;
    file.Open(request.path.c_str(), TFile::kModeCreate);
    bool written = false;
    if (!file.IsOpen()) {
        const std::string text =
            "Cannot create the archive " + std::string(request.path.View()) + ".";
        AddError(log, text.c_str());
    } else {
        const int64_t endOffset = KAVArchive::WriteHeader(file, request.tag);
        written = KAVArchive::WriteEntries(request.kuids, file, log);
        file.WriteInt32At(endOffset, static_cast<int32_t>(file.Tell()));
        written = written && file.GetError() == 0;
    }
    log.Write(reply, 0);
    reply.WriteInt32(written ? 1 : 0);
    file.Close();
    return JobRun::kReplied;
}

JobRun RunArchiveInstall(TBuffer& job, TBuffer& reply) {
    ArchiveJob request;
    if (!ReadArchiveJob(job, request)) return JobRun::kShort;
    ResultsLog log;
    KAVArchive::InstallFromFile(request.tag, request.kuids, request.path.c_str(), log);
    log.Write(reply, 0);
    reply.WriteInt32(request.kuids.Count());
    for (const KUID& kuid : request.kuids)
        kuid.WriteBinary(reply);
    return JobRun::kReplied;
}

// Columns: job id, the name logged when it starts, the job.
struct HostJob {
    int32_t id;
    const char* name;
    JobRun (*run)(TBuffer& job, TBuffer& reply);
};

const HostJob kHostJobs[] = {
    {0, "CommandHostCallback> KAV_CMDHOST_VALIDATE", RunValidate},
    {1, "CommandHostCallback> KAV_CMDHOST_TEXTURECONVERT", RunTextureConvert},
    {2, "CommandHostCallback> KAV_CMDHOST_ARCHIVE_SAVETODISK", RunArchiveSave},
    {3, "CommandHostCallback> KAV_CMDHOST_ARCHIVE_INSTALL", RunArchiveInstall},
};

const HostJob* FindJob(int32_t id) {
    for (const HostJob& job : kHostJobs) {
        if (job.id == id) return &job;
    }
    return nullptr;
}

void ReleaseAfterJob() {
    if (SpecManager* specs = SpecManager::Instance()) specs->Shutdown();
    PurgeResourcesAfterValidation();
}

} // namespace

bool CommandHostCallback(TBuffer& job, TBuffer& reply) {
    int32_t id = 0;
    job.ReadInt32(id, 0);
    const HostJob* known = FindJob(id);
    if (!known) {
        LogMessage("CommandHostCallback> unsupported commandID=%d\n", id);
        ReleaseAfterJob();
        return false;
    }
    LogMessage("%s\n", known->name);
    if (known->run(job, reply) == JobRun::kShort) return false;
    LogMessage("CommandHostCallback> complete\n");
    ReleaseAfterJob();
    return true;
}

} // namespace KodrinUtil
