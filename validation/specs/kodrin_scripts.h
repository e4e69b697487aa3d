// KodrinScripts: the script side of a scripted asset spec. An asset may carry script
// sources (".gs", or encrypted ".gse") in its folder, and its config names the primary
// script and the script class. CacheScripts compiles every source into a library in the
// process-wide cache folder (UserData/cache/libraries), named by two CRC-32 values (of the
// source text and of its file name) so an unchanged source reuses its library, and
// registers it with the script machine; LinkScriptClass then looks the class up and checks
// that it derives from Vehicle, Trackside and Signal exactly when the asset's category
// says so. The scripted spec (KodrinBaseSpec) owns one of these.
//
// The scripted specs of the include-table assets come from the process's spec manager
// (GetKodrinBaseSpec); SetKodrinScriptsLookup puts another source in its place (tests).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/file_path.h"
#include "engine/pstring.h"
#include "foundation/kuid/kuid.h"
#include "foundation/soup/chunk_ref.h"

class GSClass;
class GSLibrary;
class KodrinBaseSpec;
class ResultsLog;

class KodrinScripts {
  public:
    // The name shown in log lines, asked for when a line is written.
    using DisplayName = std::function<Kiv::PString()>;

    // The asset: its config, KUID, location, folder below the location, and the name shown
    // in log lines. The build is the config's (KodrinBaseSpec::ReadBuildVersion).
    KodrinScripts(const ACSChunkRef& config, const KUID& kuid, const Kiv::PString& location,
                  const Kiv::File::Path& folder, DisplayName displayName);
    KodrinScripts(const ACSChunkRef& config, const KUID& kuid, const Kiv::PString& location,
                  const Kiv::File::Path& folder, const Kiv::PString& displayName);
    // Appends the line and CR LF to the include text compiled before every source.
    static void AppendScriptInclude(const char* line);
    // The cache folder of compiled libraries.
    static Kiv::File::Path GetCacheFolder();

    float GetBuild() const { return build_; }
    const Kiv::PString& GetKind() const { return kind_; }
    const Kiv::PString& GetScriptLibrary() const { return scriptLibrary_; }
    const Kiv::PString& GetScriptClassName() const { return className_; }
    bool IsSharedScript() const { return (flags_ & kSharedScript) != 0; }
    bool IsScriptPathResolved() const { return (flags_ & kScriptPathResolved) != 0; }
    uint32_t LibraryId1() const { return id1_; }
    uint32_t LibraryId2() const { return id2_; }

    // From build 2.90: every KUID of the config's "script-include-table".
    void ReadScriptLibraries(std::vector<KUID>& kuids) const;
    // Asks the asset database for the asset's script file and class; without an answer the
    // script stays as it was.
    void ResolveScriptPath();
    // Sets the script file and class as if the asset database had answered them (a leading
    // "/" names a shared library of the script machine); the class is looked up again.
    void SetScript(const Kiv::PString& path, const Kiv::PString& className);
    // The include-table libraries (from 2.90), or the scenario string table include of
    // activities and behaviors; false when an include-table asset has no scripted spec.
    bool LoadScriptLibraries();
    // Compiles and registers the sources of the asset folder; false on any failure, which
    // is an error entry of the log.
    bool CacheScripts(const Kiv::PString& location, const Kiv::File::Path& folder,
                      const Kiv::File::Path& primary, ResultsLog& log);
    GSLibrary* LoadScriptLibrary();
    GSClass* GetGSClass();
    // Compiles, links and checks the script class against the category.
    bool LinkScriptClass(ResultsLog& log);

    const Kiv::PString& GetLocation() const { return location_; }
    const Kiv::File::Path& GetFolder() const { return folder_; }

  private:
    enum Flags : uint32_t {
        kClassLookedUp = 1,
        kSharedScript = 2,
        kSourcesCached = 4,
        kScriptPathResolved = 8,
    };
    // The primary source: the asset folder joined with the script library, as ".gs".
    Kiv::File::Path PrimarySource() const;
    // Compiles (when needed) and registers one source; false with its error logged.
    bool CacheSource(const Kiv::File::Path& diskFolder, const Kiv::File::Path& folder,
                     const char* name, const Kiv::File::Path& primary, bool& primaryFound,
                     ResultsLog& log);
    // Compiles the source of that name, found through the include search list.
    bool CompileSource(const char* source, const Kiv::File::Path& library, ResultsLog& log) const;

    ACSChunkRef config_;
    KUID kuid_;
    Kiv::PString location_;
    Kiv::File::Path folder_;
    DisplayName displayName_;
    Kiv::PString kind_;
    Kiv::PString scriptLibrary_;
    Kiv::PString className_;
    GSClass* scriptClass_ = nullptr;
    uint32_t flags_ = 0;
    uint32_t id1_ = 0;
    uint32_t id2_ = 0;
    float build_ = 1.3f;
};

// Whether the class derives from Vehicle, Trackside and Signal (tested in that order)
// exactly when the category text says vehicle ("TR;TV"), trackside (vehicle, signal or
// "TO") and signal ("?WA"); the first mismatch is an error of the log.
bool CheckScriptClassCategory(const GSClass& scriptClass, const char* category, ResultsLog& log);

// The scripted spec of an asset by KUID with one use for the caller, or null. Null installs
// the spec manager's look-up (GetKodrinBaseSpec, no locating) again.
using KodrinScriptsLookup = KodrinBaseSpec* (*)(const KUID& kuid);
void SetKodrinScriptsLookup(KodrinScriptsLookup lookup);
