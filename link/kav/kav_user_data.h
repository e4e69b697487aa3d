// KAVUserData: the installation folder and its user-data folder "UserData", by which
// everything else is placed. Start-up sets the installation folder (which makes and
// write-checks UserData and moves older per-installation content into it), then creates
// the sub-folders, opens the seven content databases and registers the "scripts" and
// "libraries" locations; shut-down releases them. Paths are kept with backslashes and in
// the case the system or the user gave them; the engine's path policy finds the real files.
#pragma once

#include "engine/file_path.h"
#include "engine/pstring.h"

class KAVUserData {
  public:
    // Takes the installation folder, normalised (its case kept). Ends the process (FatalError) when the
    // path is empty or UserData cannot be written; true otherwise.
    static bool SetInstallPath(const Kiv::File::Path& path);
    // Creates the sub-folders, opens the databases, registers the locations; nothing
    // without an installation folder.
    static void CreateFolders();
    // Releases the databases and removes both locations.
    static void ReleaseDatabases();
    // Forgets both folders, for tests that set up several installations in one process.
    static void Clear();

    // Each is empty when the folder it builds on is not set.
    static Kiv::File::Path GetInstallFolder();
    static Kiv::File::Path GetUserDataFolder();
    static Kiv::File::Path GetBuiltinFolder();
    static Kiv::File::Path GetCacheFolder();
    static Kiv::File::Path GetDatabasePath(); // UserData\assets.tdx
    static Kiv::File::Path GetDaemonPath();   // bin\kavdaemon
    // "local", "original", "trash", "editing", "cache" and "settings" (exactly, as interned
    // strings) are folders of UserData; any other name is a folder of the installation.
    static Kiv::File::Path GetLocationFolder(const Kiv::PString& location);

    // out = full below base, with backslashes and in full's case (empty for base itself);
    // base and full are compared ignoring ASCII case. False when either is empty or full is
    // not base or below it.
    static bool MakeRelativePath(const Kiv::File::Path& base, const Kiv::File::Path& full,
                                 Kiv::File::Path& out);
    // The path made relative to UserData; false (path unchanged) when it is not below it
    // or no installation folder is set.
    static bool MakeUserDataRelative(Kiv::File::Path& path);
    // An empty location is derived from the absolute path (a user-data location, "builtin\"
    // and a built-in folder, "base" or "data") and the path becomes relative to it. A given
    // location leaves both alone. False, both emptied, when nothing matches or no
    // installation folder is set.
    static bool SplitAssetPath(Kiv::PString& location, Kiv::File::Path& path);

    // Whether a file can be made and removed in UserData.
    static bool CanWriteFolder();
    // Moves the older per-installation items into UserData; an item that is missing or
    // already there stays where it is.
    static void MigrateFolders();
    static bool MoveFromInstallFolder(const char* name);
};
