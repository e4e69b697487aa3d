// The look-ups the script natives use: the spec of a KUID when it is a scripted spec
// (GetKodrinBaseSpec) or a script-library spec (GetLibrarySpec), loaded and valid, with
// one use for the caller. Both answer null without a process manager. GSOLibrarySpec is
// the spec class of script libraries; no factory here makes one, so GetLibrarySpec finds
// none in this program.
#pragma once

#include "foundation/kuid/kuid.h"
#include "validation/specs/gizmorix_spec.h"

class GSOLibrarySpec : public GizmorixSpec {
  public:
    using GizmorixSpec::GizmorixSpec;
};

bool IsLibrarySpec(GizmorixSpec* spec);

GizmorixSpec* GetKodrinBaseSpec(const KUID& kuid, bool locate);
GizmorixSpec* GetLibrarySpec(const KUID& kuid, bool locate);
