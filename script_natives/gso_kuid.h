// GSOKUID: the native object behind the script class "KUID", an immutable asset identifier.
// There is at most one object per KUID and context, so scripts may compare them by
// identity: a process-wide cache maps (KUID, context) to the object without holding a
// reference; an object leaves it in its destructor, and an object whose instance has no
// count left (it is being destroyed) is never handed out again.
#pragma once

#include "foundation/kuid/kuid.h"
#include "script_runtime/gs_object.h"

class GSMachine;

class GSOKUID : public GSObject, public KUID {
  public:
    // The object for (kuid, context) with one count for the caller: the cached one, or a
    // new one attached to the "KUID" class. Null when no object can be made.
    static GSOKUID* Create(const KUID& kuid, GSContext* context);
    ~GSOKUID() override;

    // The base KUID: version 0 (127 for a negative user id); the null KUID when the user
    // id's top seven bits are neither all clear nor all set.
    static KUID BaseKUID(const KUID& kuid);
    // The number of cached objects (tests).
    static size_t CachedCount();

    const KUID& Value() const { return *this; }

    void GetName(GSStack* stack);
    void GetHTMLString(GSStack* stack);
    void GetLogString(GSStack* stack);
    void GetBaseString(GSStack* stack);
    void GetBaseKUID(GSStack* stack);

  private:
    explicit GSOKUID(const KUID& kuid) : KUID(kuid) {}
};

// Pushes the object for (kuid, context) with the count Create gave it, or null.
void PushKUIDObject(GSStack* stack, const KUID& kuid, GSContext* context);
