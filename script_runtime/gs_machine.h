// GSMachine: the process-wide owner of the script runtime's shared state: the registry of
// ".gsl" files (by identity pair in the link table, by lower-cased path in the name map),
// the loaded libraries and the registered native bindings. Registration reads only a file's
// first 20 bytes; a library loads the first time it is asked for, and its dependencies load
// through the same registry, so a library that is still loading is handed out to the
// libraries that depend back on it. A library whose load fails takes with it every library
// that had resolved into it, so nothing is left pointing at freed memory and a retry starts
// clean.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/pstring.h"
#include "engine/string.h"
#include "foundation/utils/double_link_list.h"
#include "foundation/utils/frame_memory.h"
#include "foundation/utils/string_map.h"
#include "script_runtime/gs_id_pair_table.h"

class GSLibrary;
class GSNativeFunction;
class GSThread;

struct GSLibraryId {
    uint32_t id1 = 0;
    uint32_t id2 = 0;
};

// One registered file.
struct GSLinkEntry {
    uint32_t id1 = 0;
    uint32_t id2 = 0;
    Kiv::PString archive;  // empty: the plain file system
    Kiv::String path;      // relative to the archive or folder
    GSLibrary* library = nullptr;
};

class GSMachine {
  public:
    // Libraries that load each other in a chain deeper than this fail as a missing dependency.
    static constexpr int kMaxLoadDepth = 512;
    // Keys of the name map live in 256-byte chunks of frame memory.
    static constexpr uint32_t kNameChunkSize = 256;

    // The process's machine, built and initialised on first use.
    static GSMachine& Get();

    GSMachine();
    ~GSMachine();
    GSMachine(const GSMachine&) = delete;
    GSMachine& operator=(const GSMachine&) = delete;

    // Empty link table and name map, the static thread, then the built-in natives. The Str
    // and Math natives join Init with those natives.
    void Init();
    bool IsInitialised() const { return initialised_; }
    void Shutdown();

    bool AddLibrary(const Kiv::PString& archive, const char* folder, const char* file,
                    GSLibraryId* id = nullptr);
    bool AddLibraryFolder(const Kiv::PString& folder);
    GSLibrary* GetLibrary(uint32_t id1, uint32_t id2);
    GSLibrary* GetLibraryByName(const char* name);

    bool InsertLinkEntry(std::unique_ptr<GSLinkEntry> entry);
    GSLinkEntry* FindLinkEntry(uint32_t id1, uint32_t id2) const { return linkTable_.Find(id1, id2); }

    // Links the binding in front of the native list; the machine owns it from then on.
    void RegisterNative(GSNativeFunction* binding);
    // The newest binding whose interned class name and signature are these very strings.
    GSNativeFunction* FindNative(const Kiv::PString& signature, const Kiv::PString& className) const;
    uint32_t NativeCount() const { return natives_.Count(); }
    const Utils::DoubleLinkList& Natives() const { return natives_; }

    // The thread without a game object (flag bit 0) that runs member initialisers and direct
    // calls of script functions as nested runs; null before Init and after Shutdown.
    GSThread* StaticThread() const { return staticThread_.get(); }

    const Utils::DoubleLinkList& Libraries() const { return libraries_; }
    uint32_t NameCount() const { return nameMap_.EntryCount(); }

  private:
    void Clear();
    void AddName(const char* path, GSLinkEntry* entry);
    GSLibrary* LoadEntry(GSLinkEntry& entry);
    void UnloadDependents(GSLibrary* gone);
    void LogMissing(uint32_t id1, uint32_t id2) const;

    std::unique_ptr<GSThread> staticThread_;
    GSIdPairTable<GSLinkEntry> linkTable_;
    Utils::StringMap nameMap_;             // value: index into nameTargets_
    std::vector<GSLinkEntry*> nameTargets_;
    Utils::DoubleLinkList libraries_;
    Utils::DoubleLinkList natives_;
    Utils::FrameMemory frame_;
    int loadDepth_ = 0;
    bool initialised_ = false;
};
