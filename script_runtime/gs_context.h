// GSContext: one world of script objects. It owns the registry of its tracked objects
// (torn down, cycles and all, when the context ends), the static class instances of each
// library (one GSLibraryContext per library) and the cross-context flag that lets its
// objects be stored into other contexts. The product's own context derives from it; the
// constructor here is ours (for tests and for the native classes' set-up).
// The context owns the message router of its game objects and builds the script Message
// objects that carry router messages into script code.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string_view>
#include <vector>

#include "script_runtime/gs_id_pair_table.h"
#include "script_runtime/gs_memory_budget.h"
#include "script_runtime/gs_tracked_object.h"

class GSClass;
class GSLibrary;
class GSMachine;
class GSObject;
class GSRouter;
struct GSMessage;
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

    using RouterNative = void (GSContext::*)(GSStack* stack);

    // A context with a router of its own on the steady clock.
    explicit GSContext(bool allowsCrossContext = false);
    // A context with the given router (null: none), which it then owns.
    GSContext(bool allowsCrossContext, std::unique_ptr<GSRouter> router);
    virtual ~GSContext();
    GSContext(const GSContext&) = delete;
    GSContext& operator=(const GSContext&) = delete;

    GSTrackedObjectRegistry& Registry() { return registry_; }
    // The storage budget of the context's arrays and strings; the host may set its limit.
    GSMemoryBudget& Memory() { return memory_; }
    bool AllowsCrossContext() const { return allowsCrossContext_; }
    GSRouter* GetRouter() const { return router_.get(); }
    // The machine whose "gs.gsl" gives the GameObject and Message classes (the process's
    // machine unless set).
    void SetMachine(GSMachine* machine);

    GSLibraryContext* GetLibraryContext(GSLibrary* library);
    // The context's instance of a static class, made on first use; null for a class that
    // is not static or whose instance cannot be made.
    GSObject* GetStaticInstance(GSClass* gsClass);
    // The reference passes into member slot `slotIndex` of the instance (a refused
    // reference of another context is released and null stored).
    void StoreReference(GSSlot* reference, int32_t slotIndex, GSScriptInstance* instance);
    // A new script Message object for the message (its one count is the caller's), or null
    // without a router or a Message class.
    GSSlot* CreateMessageObject(const GSMessage* message);
    // The classes "GameObject" and "Message" of "gs.gsl", looked up once; null when missing.
    GSClass* GetGameObjectClass();
    GSClass* GetMessageClass();

    // The context of the running script thread (set by the interpreter).
    static GSContext* Current();
    static void SetCurrent(GSContext* context);
    static const std::set<GSContext*>& LiveContexts();

    // The member function bound to a Router native's signature, or null.
    static RouterNative FindRouterNative(std::string_view signature);

    // The natives of the static script class "Router", on this context's router.
    void RouterGetGameObjectNative(GSStack* stack);
    void RouterGetForeignGameObjectNative(GSStack* stack);
    void RouterGetGameObjectByNameNative(GSStack* stack);
    void RouterInfoNative(GSStack* stack);
    void RouterPostMessageNative(GSStack* stack);

  private:
    GSClass* FindGsClass(const char* name, GSClass*& cache);

    GSMemoryBudget memory_;  // before the registry: the objects its teardown frees count off
    GSTrackedObjectRegistry registry_;
    GSIdPairTable<GSLibraryContext> libraryContexts_;
    std::unique_ptr<GSRouter> router_;
    bool allowsCrossContext_;
    GSMachine* machine_ = nullptr;
    GSClass* gameObjectClass_ = nullptr;
    GSClass* messageClass_ = nullptr;
};
