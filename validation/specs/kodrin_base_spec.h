// KodrinBaseSpec: the spec of a scripted asset, the one the spec manager makes when no
// factory claims an asset's kind. It knows from its config its kind, its build version and
// its name, and owns the script side of the asset (KodrinScripts): the compiled libraries
// of its sources and its script class.
#pragma once

#include "validation/specs/gizmorix_spec.h"
#include "validation/specs/kodrin_scripts.h"

class GSClass;
class GSLibrary;
class ResultsLog;

class KodrinBaseSpec : public GizmorixSpec {
  public:
    // The build comes from the config (1.3 without one); below build 2.50 the name is the
    // config's "asset-filename", else name when that is empty; from 2.50 it is "default".
    KodrinBaseSpec(const Kiv::PString& location, const Kiv::String& basePath,
                   const Kiv::String& folderName, const KUID& kuid, const ACSChunkRef& config,
                   const Kiv::PString& name);
    ~KodrinBaseSpec() override = default;

    virtual void OnLoaded() {}

    // "kodrin-build" plus 0.005 when it lies in [1, 100); else 2.0 for a config with
    // "mesh-table", "class" or "scriptclass", else 1.3.
    static float ReadBuildVersion(const ACSChunkRef& config);

    float GetBuild() const { return build_; }
    const Kiv::PString& GetName() const { return name_; }
    Kiv::PString GetKind() const { return kind_; }
    // Whether the asset database marks the asset locally modified: asked once, a failed
    // query counting as modified, and the answer kept.
    bool IsLocallyModified();

    // The script side, over the asset's folder below its location; log lines show the
    // display name.
    KodrinScripts& Scripts() { return scripts_; }
    void ResolveScriptPath() { scripts_.ResolveScriptPath(); }
    GSLibrary* LoadScriptLibrary() { return scripts_.LoadScriptLibrary(); }
    GSClass* GetGSClass() { return scripts_.GetGSClass(); }
    bool LinkScriptClass(ResultsLog& log) { return scripts_.LinkScriptClass(log); }

  private:
    KodrinScripts scripts_;
    Kiv::PString name_;
    float build_ = 1.3f;
    // -1 until asked, else the answer.
    int8_t locallyModified_ = -1;
};

// A KodrinBaseSpec named after the asset's folder (what both the scripted-spec factory and a
// manager without factories make).
KodrinBaseSpec* NewKodrinBaseSpec(const Kiv::PString& location, const Kiv::String& basePath,
                                  const Kiv::String& folderName, const KUID& kuid,
                                  const ACSChunkRef& config);

// The predicate of the look-ups that want a scripted spec.
bool IsKodrinBaseSpec(GizmorixSpec* spec);
