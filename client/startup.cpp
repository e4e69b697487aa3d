// Start-up and shut-down of the tool. Start-up runs the step table (startup_steps.h); shut-down
// takes everything down in an order of its own: the worker threads stop first, queued jobs
// are cancelled only after the daemon client (whose reader may still post jobs) has
// stopped, and the engine objects go last. Every service stopped here accepts being stopped
// when start-up never reached it.
#include "link/kav/kav_client.h"
#include "link/kav/kav_user_data.h"
#include "client/kodrin_util.h"
#include "link/net/net_startup.h"
#include "client/startup_objects.h"
#include "client/startup_steps.h"
#include "client/upward_seams.h"
#include "content3d/resource_database.h"
#include "engine/log.h"
#include "foundation/jobs/worker_job_queue.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/error_handler.h"

namespace KodrinUtil {

namespace {

void ReleaseBitmapCodec(StartupObjects& objects) {
    if (!objects.bitmapCodec) return;
    objects.bitmapCodec->Release();
    objects.bitmapCodec.reset();
}

void ReleaseValidation() {
    DAROdi::DataManager::ReleaseKodrinBumpVertexType();
    DAROdi::DataManager::DestroyInstance();
    DAROdi::ErrorHandler::DestroyInstance();
}

void DestroyEngine(StartupObjects& objects, StartupRecord& record) {
    objects.renderKernel.reset();
    objects.resourceSystem.reset();
    Kiv::Log::Shutdown();
    objects.os.reset();
    record = StartupRecord();
}

}  // namespace

int Startup(StartupRecord& record, const char*, int argc, char** argv) {
    InstallUpwardSeams();
    StartupRun run{record, argc, argv};
    return RunStartupSteps(run, StartupSteps().size());
}

int Shutdown(StartupRecord& record) {
    StartupObjects& objects = GetStartupObjects();
    WorkerJobQueue::Singleton().Shutdown();
    ReleaseBitmapCodec(objects);
    KAVClient::Shutdown();
    WorkerJobQueue::Singleton().CancelJobs(0, false);
    FreeDownloadServiceMarker();
    ReleaseValidation();
    KAVUserData::ReleaseDatabases();
    NetShutdown();
    KodrinResourceDatabase::PurgeAll();
    DestroyEngine(objects, record);
    return 0;
}

}  // namespace KodrinUtil
