// GSOKUIDList: the native object behind the script class "KUIDList", a list of KUIDs in a
// block array (blocks of 128). Lists handed out by the system are locked and refuse every
// change. Copies keep the source's block boundaries.
#pragma once

#include "foundation/containers/block_array.h"
#include "foundation/kuid/kuid.h"
#include "script_runtime/gs_object.h"

class GSOKUIDList : public GSObject {
  public:
    using List = BlockArray<KUID, 128>;

    // An empty, unlocked list attached to the "KUIDList" class; null when it cannot be made.
    static GSOKUIDList* Construct(GSContext* context);
    // A locked copy of list, attached likewise; null when it cannot be made.
    static GSOKUIDList* ConstructLocked(GSContext* context, const List& list);

    const List& Items() const { return list_; }
    bool Locked() const { return locked_; }

    void CountKUIDs(GSStack* stack);
    void AddKUID(GSStack* stack);
    void RemoveKUID(GSStack* stack);
    void HasKUID(GSStack* stack);
    void GetIndexedKUID(GSStack* stack);
    void Copy(GSStack* stack);
    void Clear(GSStack* stack);
    void IsLocked(GSStack* stack);

  private:
    GSOKUIDList(const List& list, bool locked) : list_(list), locked_(locked) {}
    static GSOKUIDList* Attached(GSOKUIDList* object, GSContext* context);
    // False (and the refusal raised) when locked.
    bool Unlocked(const char* text) const;

    List list_;
    bool locked_;
};
