// GSContext: one world of script objects. It owns the registry of its tracked objects
// (torn down, cycles and all, when the context ends), the static class instances of each
// library (one GSLibraryContext per library) and the cross-context flag that lets its
// objects be stored into other contexts. The product's own context derives from it; the
// constructor here is ours (for tests and for the native classes' set-up).
// The message router, and the message objects it delivers, are not part of a context yet.
#pragma once

#include <cstdint>
#include <set>
#include <vector>

#include "script_runtime/gs_id_pair_table.h"
#include "script_runtime/gs_tracked_object.h"

class GSClass;
class GSLibrary;
class GSObject;
class GSScriptInstance;
class GSStack;
union GSSlot;

class GSContext {
  public:
    class GSLibraryContext {
      public:
        explicit GSLibraryContext(GSLibrary* library);
        virtual ~GSLibraryContext() { ReleaseStatics(); }
        // Releases the instance of every static object, last slot first.
        void ReleaseStatics();

        GSLibrary* library;
        std::vector<GSObject*> slots;  // one per static class, null until first use
    };

    explicit GSContext(bool allowsCrossContext = false);
    virtual ~GSContext();
    GSContext(const GSContext&) = delete;
    GSContext& operator=(const GSContext&) = delete;

    GSTrackedObjectRegistry& Registry() { return registry_; }
    bool AllowsCrossContext() const { return allowsCrossContext_; }

    GSLibraryContext* GetLibraryContext(GSLibrary* library);
    // The context's instance of a static class, made on first use; null for a class that
    // is not static or whose instance cannot be made.
    GSObject* GetStaticInstance(GSClass* gsClass);
    // The reference passes into member slot `slotIndex` of the instance (a refused
    // reference of another context is released and null stored).
    void StoreReference(GSSlot* reference, int32_t slotIndex, GSScriptInstance* instance);

    // The context of the running script thread (set by the interpreter).
    static GSContext* Current();
    static void SetCurrent(GSContext* context);
    static const std::set<GSContext*>& LiveContexts();

    // The body every Router native is bound to until the router exists: it does nothing.
    void PendingRouterNative(GSStack* stack);

  private:
    GSTrackedObjectRegistry registry_;
    GSIdPairTable<GSLibraryContext> libraryContexts_;
    bool allowsCrossContext_;
};
