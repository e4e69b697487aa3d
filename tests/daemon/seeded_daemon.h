// The stand-in daemon in library mode for in-process tests: an installation in a temporary
// folder whose asset table is seeded from a script text, the script's answers installed,
// every request written to "record.txt", and no idle time-out. Shared by the daemon's own
// tests and the client's install and command-host tests.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "daemon/asset_table_seed.h"
#include "daemon/daemon_script.h"
#include "daemon/daemon_script_hooks.h"
#include "daemon/daemon_server.h"
#include "engine/temp_folder.h"

// Fills table and server; a failure is a fatal test failure (check with
// ASSERT_NO_FATAL_FAILURE).
inline void StartSeededDaemon(TempFolder& folder, const std::string& seed,
                              std::shared_ptr<AssetTable>& table,
                              std::unique_ptr<DaemonServer>& server) {
    folder.MakeFolder("inst/bin");
    folder.WriteFile("script.txt", seed);
    DaemonScript script;
    std::string error;
    ASSERT_TRUE(LoadDaemonScript(folder.Path("script.txt"), script, error)) << error;
    table = std::make_shared<AssetTable>(folder.Path("inst"));
    ASSERT_TRUE(table->Open(error)) << error;
    ASSERT_TRUE(SeedAssetTable(*table, script.seed, error)) << error;
    DaemonOptions options;
    options.recordPath = folder.Path("record.txt");
    options.idleTime = std::chrono::milliseconds(0);
    server = std::make_unique<DaemonServer>(options);
    server->SetAssetTable(table);
    InstallDaemonScript(script, *server);
    ASSERT_EQ(server->Start(), DaemonStart::kStarted);
}
