// GSOSoup: the native object behind the script class "Soup", a script's handle on a config
// soup. Tag names are lower-cased before use. Soups handed out by the system are locked and
// refuse every change; soups that scripts make are not. Sub-soups are shared, not copied.
#pragma once

#include "foundation/soup/chunk_ref.h"
#include "script_runtime/gs_object.h"

class GSOSoup : public GSObject {
  public:
    // No soup, unlocked, attached to the "Soup" class; null when it cannot be made.
    static GSOSoup* Construct(GSContext* context);
    // The given soup (shared), locked, attached likewise; null when it cannot be made.
    static GSOSoup* CreateForSoup(GSContext* context, const ACSChunkRef& soup);

    const ACSChunkRef& Chunk() const { return soup_; }
    bool Locked() const { return locked_; }
    // Makes the object hold soup (shared, not copied).
    void Share(const ACSChunkRef& soup) { soup_ = soup; }

    void CountTags(GSStack* stack);
    void GetNamedTag(GSStack* stack);
    void GetNamedSoup(GSStack* stack);
    void GetIndexedTagName(GSStack* stack);
    void GetIndexForNamedTag(GSStack* stack);
    void GetNamedTagAsKUID(GSStack* stack);
    void GetNamedTagAsInt(GSStack* stack);
    void GetNamedTagAsIntOr(GSStack* stack);
    void GetNamedTagAsFloat(GSStack* stack);
    void GetNamedTagAsFloatOr(GSStack* stack);
    void SetNamedTagString(GSStack* stack);
    void SetNamedTagFloat(GSStack* stack);
    void SetNamedTagInt(GSStack* stack);
    void SetNamedTagKUID(GSStack* stack);
    void SetNamedSoup(GSStack* stack);
    void RemoveNamedTag(GSStack* stack);
    void Copy(GSStack* stack);
    void Clear(GSStack* stack);
    void IsLocked(GSStack* stack);
    void AddUniqueNamedSoup(GSStack* stack);
    void Log(GSStack* stack);

  private:
    GSOSoup(const ACSChunkRef& soup, bool locked) : soup_(soup), locked_(locked) {}
    static GSOSoup* Attached(GSOSoup* object, GSContext* context);
    // False (and the refusal raised) when locked.
    bool Unlocked(const char* text) const;
    // Argument 1, lower-cased; false when it is refused.
    static bool TagName(GSStack* stack, Kiv::PString& name);

    ACSChunkRef soup_;
    bool locked_;
};
