// Start-up steps of the program's own services: the network layer, the user-data folders,
// the daemon client (whose outcome decides at the last step), the main thread, the
// interface language stored with the daemon, the bitmap codec and the download-service
// marker.
#include "link/kav/kav_client.h"
#include "link/kav/kav_user_data.h"
#include "link/net/net_startup.h"
#include "client/startup_objects.h"
#include "client/startup_state.h"
#include "client/startup_steps.h"
#include "engine/builtin_plugins.h"
#include "foundation/text/interface_text.h"
#include "foundation/jobs/process_identity.h"

namespace KodrinUtil {

namespace {

constexpr const char* kSettingsSection = "internet";
constexpr const char* kLanguageKey = "language";
constexpr const char* kDefaultLanguage = "US";

}  // namespace

bool StartNetwork(StartupRun&) {
    NetStartup();
    return true;
}

// The tool sits at the top of its installation, beside bin/ and data/, so the program
// folder is the installation folder.
bool PrepareUserData(StartupRun&) {
    KAVUserData::SetInstallPath(Kiv::File::Path(GetStartupState().programFolder.c_str()));
    KAVUserData::CreateFolders();
    return true;
}

// A failed request never relaunches the daemon; the handshake says whether "-nokavclient"
// was given.
bool StartDaemonClient(StartupRun& run) {
    KAVClientStartOptions options;
    options.flag3 = false;
    options.relaunch = false;
    options.handshakeFlag = GetStartupState().switches.clientHandshake;
    run.clientStarted = KAVClient::Start(options);
    return true;
}

bool RecordMainThread(StartupRun&) {
    RecordMainThreadId();
    return true;
}

// The table is loaded here, on the main thread and outside any holding of the resource
// lock: a first lookup made while holding the lock shared would wait for an exclusive
// holding it can never get.
bool ChooseLanguage(StartupRun&) {
    const Kiv::PString language =
        KAVClient::ReadSetting(Kiv::PString(kSettingsSection), Kiv::PString(kLanguageKey));
    InterfaceTextDB::SetLanguage(language.IsEmpty() ? kDefaultLanguage : language.c_str());
    InterfaceTextDB::Invalidate();
    InterfaceTextDB::Instance();
    return true;
}

bool CreateBitmapCodec(StartupRun&) {
    StartupObjects& objects = GetStartupObjects();
    objects.bitmapCodec = std::make_unique<PluginInstanceRef>();
    objects.bitmapCodec->Create(Kiv::kResourceFamilyUId, Kiv::PString(Kiv::kBitmapCodecName));
    return true;
}

bool MarkDownloadService(StartupRun&) {
    CreateDownloadServiceMarker();
    return true;
}

bool RequireClientStarted(StartupRun& run) {
    return run.clientStarted;
}

}  // namespace KodrinUtil
