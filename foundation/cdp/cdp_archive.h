// CDPArchive: a CDP archive (".cdp"), one soup file holding assets with their files. The
// root holds "assets" (one config per asset, named by its KUID tag), the KUID tables
// "contents-table", "kuid-table" (dependencies found outside the archive) and
// "obsolete-table", "kind" = "archive" and "package-version" = 1. Errors are returned as
// texts (cdp_messages.h), the null text on success; nothing here throws. Extraction refuses
// names and paths that could leave the target folder and removes a file it failed to write.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "engine/file_path.h"
#include "engine/pstring.h"
#include "foundation/cdp/cdp_asset.h"
#include "foundation/soup/chunk_ref.h"
#include "foundation/soup/raw_data.h"

class CDPArchive {
  public:
    // A new archive: no root until the first asset is added.
    CDPArchive() = default;

    const ACSChunkRef& GetRoot() const { return root_; }

    // Loads the file (folder may be empty) and checks that it is an archive this program
    // reads; on failure the root is null.
    Kiv::PString Open(const char* folder, const char* fileName);
    // The checks of Open on a loaded root: the error text, or the null text.
    static Kiv::PString CheckRoot(const ACSChunkRef& root);

    int32_t CountAssets() const;
    // The index-th asset (a null config when that child is not a container).
    CDPAsset GetAsset(int32_t index) const;
    // The index of the first asset whose "kuid" is the KUID, else -1.
    int32_t FindAsset(const KUID& kuid) const;
    ACSRawDataRef GetNamedData(const Kiv::PString& name) const;

    // Attaches the config itself (not a copy) under its KUID tag and rebuilds the tables.
    Kiv::PString AddAsset(const ACSChunkRef& config);
    // Rewrites the three KUID tables, "kind" and "package-version" as the root's last tags.
    void RebuildTables();
    // Saves in the form the path's extension names ("cdp", "cdp2", "chump", "txt"), through
    // a temporary file that replaces an old archive only when complete; the error names the
    // path and the cause (the system's error text) when the write fails.
    Kiv::PString Save(const char* path) const;

    // Writes a "files" tree below baseFolder + relativePath. Children with names or
    // extensions outside the rules are skipped silently; other failures are reported and
    // the walk goes on: the last error is returned.
    static Kiv::PString ExtractFiles(const ACSChunkRef& files, const Kiv::PString& baseFolder,
                                     const Kiv::File::Path& relativePath,
                                     const Kiv::PString& compression);
    // Writes one file at baseFolder + path: the bytes as they are without compression, else
    // decoded after their first 4 bytes. A file that could not be written whole is removed.
    static Kiv::PString ExtractFile(std::span<const uint8_t> bytes, const Kiv::PString& baseFolder,
                                    const Kiv::File::Path& path, const Kiv::PString& compression);

    // A file or folder name an archive may create (see cdp_file_rules.cpp).
    static bool IsValidFileName(std::string_view name);
    // The path's extension is one of the file types an archive may carry.
    static bool IsAllowedFileType(const Kiv::File::Path& path);
    // No separator follows an empty component or one made only of dots.
    static bool IsValidPath(std::string_view path);

    // printf-style error text.
    static Kiv::PString SetError(const char* format, ...) __attribute__((format(printf, 1, 2)));

  private:
    ACSChunkRef root_;
};
