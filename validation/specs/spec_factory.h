// Spec factories: the makers the spec manager asks for the spec of an asset. A factory
// named like an asset's kind (case ignored) makes that kind's specs; the manager's default
// factory makes the rest. The script stage installs KAVScript_KodrinBaseSpecFactory as the
// default while it creates the spec of the asset it compiles.
#pragma once

#include "engine/pstring.h"
#include "engine/string.h"
#include "foundation/kuid/kuid.h"
#include "foundation/soup/chunk_ref.h"

class GizmorixSpec;

class GZSpecFactory {
  public:
    explicit GZSpecFactory(const Kiv::PString& name) : name_(name) {}
    // Leaves the manager's factory list.
    virtual ~GZSpecFactory();
    GZSpecFactory(const GZSpecFactory&) = delete;
    GZSpecFactory& operator=(const GZSpecFactory&) = delete;

    // A new spec (no use held, not registered), or null.
    virtual GizmorixSpec* Create(const Kiv::PString& location, const Kiv::String& basePath,
                                 const Kiv::String& folderName, const KUID& kuid,
                                 const ACSChunkRef& config) = 0;
    const Kiv::PString& GetName() const { return name_; }

  private:
    Kiv::PString name_;
};

class KAVScript_KodrinBaseSpecFactory : public GZSpecFactory {
  public:
    static constexpr const char* kName = "--KAVScript_KodrinBaseSpecFactory--";

    KAVScript_KodrinBaseSpecFactory() : GZSpecFactory(Kiv::PString(kName)) {}
    // A KodrinBaseSpec named after the asset's folder.
    GizmorixSpec* Create(const Kiv::PString& location, const Kiv::String& basePath,
                         const Kiv::String& folderName, const KUID& kuid,
                         const ACSChunkRef& config) override;
};
