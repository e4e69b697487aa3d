// The names under which the asset-database daemon and its clients find each other, shared
// by the client and the stand-in daemon so that both build exactly the same ones. The
// design's named mutex and shared block are named after the database folder; here each
// name becomes a flat file "kav-<16 hex digits of its FNV-1a 64-bit hash>" in a private
// IPC folder, because the names hold slashes and can outgrow a file name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The identifier that begins the mutex name; its letters keep their case.
inline constexpr const char* kDiscoveryMutexIdentifier = "09731AC6-B611-4e2a-B181-578073F64F24";
inline constexpr const char* kDatabaseFileName = "assets.tdx";
inline constexpr const char* kDiscoveryBlockSuffix = "-ipc2";

// File name endings in the IPC folder: the mutex, the block and the block's presence lock.
inline constexpr const char* kMutexFileEnding = ".lock";
inline constexpr const char* kBlockFileEnding = ".blk";
inline constexpr const char* kPresenceFileEnding = ".ref";

struct KAVDiscoveryNames {
    std::string databaseFolder; // the database path without "\assets.tdx", its case kept
    std::string mutexName;
    std::string blockName;
};

// Builds the names from a database path. The path must name a file "assets.tdx" in any
// case (its first occurrence ends the path, after a separator); false otherwise.
bool BuildDiscoveryNames(std::string_view databasePath, KAVDiscoveryNames& out);

// FNV-1a 64 over the name's bytes (offset basis 0xcbf29ce484222325, prime 0x100000001b3).
uint64_t HashDiscoveryName(std::string_view name);
// "kav-" and the hash as 16 lower-case hex digits.
std::string DiscoveryFileStem(std::string_view name);
// The file for name with that ending in folder.
std::string DiscoveryFilePath(const std::string& folder, std::string_view name, const char* ending);

// The IPC folder: $KODRIN_IPC_DIR, else $XDG_RUNTIME_DIR/kodrin, else /tmp/kodrin-<uid>
// (empty variables count as unset). Made with mode 0700 when missing; refused (false)
// when it is not a real folder of our own user, and narrowed to 0700 when it is wider.
bool GetIpcFolder(std::string& out);
