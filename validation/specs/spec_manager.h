// SpecManager: the process's registry of asset specs. It owns the live specs (valid or not
// yet loaded, indexed by KUID) and the invalid ones, makes specs through factories chosen
// by the asset's kind, and deletes the specs nobody uses. One re-entrant lock guards the
// lists, the table and the factories; a spec's destructor takes it again to leave them.
// The daemon client makes the manager when it starts and destroys it when it stops; the
// command host empties it (Shutdown) after every job. GetSpecForKUID remembers the KUIDs
// it resolved or missed until the next Shutdown.
#pragma once

#include <map>
#include <mutex>
#include <vector>

#include "engine/file_path.h"
#include "engine/pstring.h"
#include "engine/string.h"
#include "foundation/kuid/kuid.h"
#include "foundation/soup/chunk_ref.h"
#include "validation/specs/kuid_hash_table.h"

class GizmorixSpec;
class GZSpecFactory;

// Whether a spec is of the kind a look-up wants.
using SpecPredicate = bool (*)(GizmorixSpec* spec);

class SpecManager {
  public:
    // Becomes the process's manager.
    SpecManager();
    // Destroy, when it has not run.
    ~SpecManager();
    SpecManager(const SpecManager&) = delete;
    SpecManager& operator=(const SpecManager&) = delete;

    // Shuts down and stops being the process's manager; a second call does nothing.
    void Destroy();
    // The process's manager, or null.
    static SpecManager* Instance();

    // Appends spec to the live list and the table.
    bool RegisterSpec(GizmorixSpec* spec);
    // The first table entry of that KUID, no use added.
    GizmorixSpec* FindSpecLocked(const KUID& kuid);
    // The live spec of that KUID with a use added; null for the null KUID and (-1, -2, 127).
    GizmorixSpec* FindSpec(const KUID& kuid);
    // Takes the entry that holds this very spec out of the table.
    void RemoveFromTable(GizmorixSpec* spec);
    // Takes spec out of both lists and the table (its destructor calls this).
    void UnregisterSpec(GizmorixSpec* spec);
    // Sets the spec's valid flag after loading; an invalid spec moves to the invalid list.
    void UpdateSpecState(GizmorixSpec* spec);
    // Deletes every live spec without uses; true when one went.
    bool PurgeUnused();
    // Deletes the invalid specs and the unused live ones, logs the specs still used
    // ("Leaked specs:"), deletes the factories and forgets the remembered look-ups. The
    // manager stays usable.
    void Shutdown();

    // A registered spec with one use for the caller, made by the factory of the config's
    // kind, else the default factory, else as a KodrinBaseSpec; not loaded.
    GizmorixSpec* CreateSpec(const Kiv::PString& location, const Kiv::String& basePath,
                             const Kiv::String& folderName, const ACSChunkRef& config,
                             const KUID& kuid);
    // The spec of the asset in folderPath (its config read from there) with one use, or
    // null: no config, a predicate that fails, or (unless keepUnloaded) a spec that loads
    // invalid.
    GizmorixSpec* CreateSpecFromFolder(const KUID& kuid, const Kiv::PString& location,
                                       const Kiv::File::Path& folderPath, SpecPredicate predicate,
                                       bool keepUnloaded);
    // The loaded, valid spec of the asset the daemon resolves kuid to, made from its folder
    // when none is live, with one use; or null. Misses are remembered.
    GizmorixSpec* GetSpecForKUID(const KUID& kuid, SpecPredicate predicate, bool locate);

    // Named factories: the manager does not own them until Shutdown deletes them.
    void RegisterFactory(GZSpecFactory* factory);
    void UnregisterFactory(GZSpecFactory* factory);
    void SetDefaultFactory(GZSpecFactory* factory);
    GZSpecFactory* GetDefaultFactory();

    size_t LiveCount();
    size_t InvalidCount();
    size_t TableCount();

  private:
    GZSpecFactory* FactoryFor(const Kiv::PString& kind);
    void LogLeakedSpecs();
    GizmorixSpec* LoadedOrMiss(const KUID& asked, GizmorixSpec* spec);
    // The remembered answer for kuid: true with the stored KUID when there is one.
    bool Recall(const KUID& asked, KUID& stored);
    void Remember(const KUID& asked, const KUID& stored);

    std::recursive_mutex lock_;
    bool destroyed_ = false;
    std::vector<GizmorixSpec*> live_;
    std::vector<GizmorixSpec*> invalid_;
    std::vector<GZSpecFactory*> factories_;
    KUIDHashTable table_;
    GZSpecFactory* defaultFactory_ = nullptr;
    std::mutex memoLock_;
    std::map<KUID, KUID> memo_;
};
