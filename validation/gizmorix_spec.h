// GizmorixSpec: a live asset spec held by the SpecManager registry. Not built yet: this
// stand-in states only what the daemon client asks of a spec the registry found (its
// config soup, and giving back the use that FindSpec added). No spec is ever made.
#pragma once

#include "foundation/soup/chunk_ref.h"

class GizmorixSpec {
public:
    virtual ~GizmorixSpec() = default;
    // The spec's config soup, shared.
    virtual ACSChunkRef GetConfig() const = 0;
    // Drops the use that SpecManager::FindSpec added.
    virtual void ReleaseUse() = 0;
};
