// CDPAsset: one asset entry of a CDP archive, a handle to its config soup (shared, never
// copied) and a flag set when preparing its install copy changed something. Besides the
// config's ordinary tags an entry holds "files" (the folder tree: containers are folders,
// blobs are files), "compression" ("LZSS" or nothing) and "dsid" (the files' checksum).
// The static operations gather the KUIDs an asset needs and retires, for the archive's
// tables and for the "kuid-table" of the installed config.
#pragma once

#include "engine/pstring.h"
#include "foundation/cdp/chunk_checksum.h"
#include "foundation/kuid/kuid.h"
#include "foundation/kuid/kuid_list.h"
#include "foundation/soup/chunk_ref.h"
#include "foundation/streams/t_stream.h"

class CDPAsset {
  public:
    // A new config holding "compression" = "LZSS".
    CDPAsset();
    // Wraps the config itself (shared), modified clear.
    explicit CDPAsset(const ACSChunkRef& config) : config_(config) {}

    // The config becomes the binary soup read from the stream (null when it holds none).
    // Always true: a failed read leaves a null config.
    bool Read(TStream& stream);
    // The config in the binary form. Always true: write problems stay in the stream's error.
    bool Write(TStream& stream) const;

    const ACSChunkRef& GetConfig() const { return config_; }
    bool IsModified() const { return modified_; }

    ACSChunkRef GetFiles() const;
    Kiv::PString GetCompression() const;
    // The "kuid" tag; the null KUID when missing.
    KUID GetKUID() const;
    bool HasKUID() const { return !GetKUID().IsNull(); }

    ChunkChecksum FilesChecksum() const;
    // Stores the files' checksum as "dsid".
    void SetChecksum();
    // The "dsid" text is exactly the files' checksum text.
    bool VerifyChecksum() const;

    // Adds to the set the KUIDs the config declares obsolete ("obsolete-table",
    // "obsoletes-kuid"), then takes own out of the set.
    static void CollectObsoletes(const ACSChunkRef& config, const KUID& own, KUIDList& set);
    // Adds to the set the KUIDs the config depends on: its "kuid-table", its KUID tags and
    // the default interior of an engine traincar, less its obsoletes and own.
    static void CollectDependencies(const ACSChunkRef& config, const KUID& own, KUIDList& set);
    // Makes the config's "kuid-table" list every KUID of the set (new ones numbered after
    // the highest number there) and moves it to the end; sets the asset's modified flag
    // when it added something.
    static void MergeKUIDTable(CDPAsset& asset, ACSChunkRef& config, const KUIDList& set);
    // The config to install: a deep copy without the archive's tags ("files", "dsid",
    // "compression", "folder-icon", ".cache"), "kind" lower-cased and the dependencies
    // merged into its "kuid-table".
    ACSChunkRef MakeInstallConfig();

  private:
    ACSChunkRef config_;
    bool modified_ = false;
};
