// kavdaemon: the stand-in asset-database daemon, installed as <installation>/bin/kavdaemon.
// The client starts it with "bin" as its working folder; the installation folder is that
// folder's parent, and the daemon serves the database "UserData\assets.tdx" in it.
//
// Settings, each as an argument or, when the argument is absent, an environment variable:
//   --script <file>   KAVDAEMON_SCRIPT    the script of scripted mode (daemon_script.h)
//   --record <file>   KAVDAEMON_RECORD    the record file, one line per link event
//   --idle-ms <n>     KAVDAEMON_IDLE_MS   end after n ms without a client (default 300000;
//                                         0: never)
// The discovery folder comes from KODRIN_IPC_DIR (else XDG_RUNTIME_DIR/kodrin, else
// /tmp/kodrin-<uid>), as for the client.
//
// A validation request (38) is run by a command host (`KodrinUtil kavcommandhost`); when
// none is registered, the daemon starts one from the installation folder.
//
// Exit status 0 after request 270, after the idle time, on SIGTERM, SIGINT or SIGHUP, and
// when another daemon already serves the database; 1 when the settings or the script are
// wrong or the daemon cannot start.
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "daemon/asset_table_seed.h"
#include "daemon/daemon_command_line.h"
#include "daemon/daemon_script_hooks.h"
#include "daemon/daemon_server.h"
#include "daemon/installation_paths.h"
#include "engine/file.h"
#include "foundation/files/process.h"

namespace {

const char* Environment(const char* name) { return std::getenv(name); }

int Fail(const std::string& message) {
    std::fprintf(stderr, "kavdaemon: %s\n", message.c_str());
    return 1;
}

// Signals that end the daemon, and the one the exit waiter uses to wake the main thread.
sigset_t HandledSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGUSR1}) sigaddset(&signals, signal);
    return signals;
}

// Starts "KodrinUtil kavcommandhost" from the installation folder, in that folder, when a
// validation finds no command host; the host finds this daemon as every client does.
CommandHostRequests::Launcher CommandHostLauncher(const std::filesystem::path& installation) {
    return [installation] {
        const std::string program = (installation / "KodrinUtil").string();
        return StartProcess(program, "kavcommandhost", installation.string(), 0) != 0;
    };
}

// Waits for the server to end by itself or for a signal that ends it.
void Serve(DaemonServer& server, const sigset_t& signals) {
    const pthread_t mainThread = pthread_self();
    std::thread waiter([&server, mainThread] {
        server.WaitForExit();
        pthread_kill(mainThread, SIGUSR1);
    });
    int signal = 0;
    sigwait(&signals, &signal);
    if (signal != SIGUSR1) server.Stop();
    waiter.join();
}

}  // namespace

int main(int argc, char** argv) {
    const sigset_t signals = HandledSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    DaemonCommandLine settings;
    std::string error;
    if (!ParseDaemonCommandLine(argc, argv, Environment, settings, error)) return Fail(error);

    DaemonScript script;
    if (!settings.scriptPath.empty() && !LoadDaemonScript(settings.scriptPath, script, error)) {
        return Fail(error);
    }

    DaemonOptions options;
    options.databasePath =
        std::string(DatabasePathOfWorkingFolder(Kiv::File::Path(Kiv::File::GetCwd())).View());
    if (options.databasePath.empty()) {
        return Fail("no installation folder above the working folder");
    }
    options.recordPath = settings.recordPath;
    options.idleTime = settings.idleTime;

    auto table = std::make_shared<AssetTable>(std::filesystem::current_path().parent_path());
    if (!table->Open(error) || !SeedAssetTable(*table, script.seed, error)) return Fail(error);

    DaemonServer server(options);
    InstallDaemonScript(script, server);
    server.SetCommandHostLauncher(CommandHostLauncher(std::filesystem::current_path().parent_path()));
    server.SetAssetTable(table);
    switch (server.Start()) {
    case DaemonStart::kOtherDaemon: return 0;
    case DaemonStart::kFailed: return Fail("cannot listen or publish the port");
    case DaemonStart::kStarted: break;
    }
    Serve(server, signals);
    return 0;
}
