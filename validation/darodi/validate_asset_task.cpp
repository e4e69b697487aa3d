// The task record is posted synchronously (flags 7: main thread only, carried, left alone
// by the lock-wait pumps), so the caller's record and log outlive the job.
#include "validation/darodi/validate_asset_task.h"

#include <memory>

#include "foundation/jobs/tcx_callback.h"
#include "foundation/jobs/worker_job_queue.h"
#include "validation/darodi/validate_asset.h"

namespace {

constexpr uint32_t kValidateJobFlags = WorkerJobFlags::kMainThreadOnly |
                                       WorkerJobFlags::kCarried |
                                       WorkerJobFlags::kNotInLockWait;

} // namespace

bool ValidateAssetTask::Execute(const Kiv::PString& folderName, const Kiv::File::Path& path,
                                ResultsLog& log) {
    ValidateAssetTask task(&folderName, &path, &log);
    auto callback =
        std::make_unique<TCXCallbackCPPVoidPtr<ValidateAssetTask>>(&task, &ValidateAssetTask::Run);
    if (!PostWorkerJob(WorkerJobQueue::Singleton(), std::move(callback), kValidateJobFlags, 0))
        return false;
    return task.result_ != 0;
}

void ValidateAssetTask::Run(intptr_t) {
    const Kiv::File::Path path = *path_;
    const Kiv::PString location = *location_;
    result_ = ValidateAsset(location, path, *log_) ? 1 : 0;
}
