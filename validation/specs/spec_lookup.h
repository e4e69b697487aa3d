// The look-ups the script natives use: the spec of a KUID when it is a scripted spec
// (GetKodrinBaseSpec) or a script-library spec (GetLibrarySpec), loaded and valid, with
// one use for the caller. Both answer null without a process manager. Library specs
// (GSOLibrarySpec) come only from a factory a host registers, so in this program
// GetLibrarySpec finds none.
#pragma once

#include "foundation/kuid/kuid.h"
#include "validation/specs/gizmorix_spec.h"
#include "validation/specs/gso_library_spec.h"

bool IsLibrarySpec(GizmorixSpec* spec);

GizmorixSpec* GetKodrinBaseSpec(const KUID& kuid, bool locate);
GizmorixSpec* GetLibrarySpec(const KUID& kuid, bool locate);
