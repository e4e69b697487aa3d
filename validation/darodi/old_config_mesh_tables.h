// The mesh-table builders of the old-config upgrade: each turns the naming conventions of
// configs from before build 2.90 (the asset file name with fixed suffixes, mode0/mode1,
// loose bogey KUIDs, attachment points named "a.name%d" or "a.%ctrack%da") into the
// current containers (mesh-table, bogeys, attached-track) and removes the keys it used.
// The builders that need to know which attachment points exist load the asset's meshes
// through the mesh-check engine; a mesh that does not load only makes the result shorter.
#pragma once

#include "engine/pstring.h"
#include "foundation/soup/chunk_ref.h"

namespace DAROdi {

void UpgradeShadowMeshes(ACSChunkRef& config, const Kiv::String& fileName);
void UpgradeBodyMeshes(ACSChunkRef& config, const Kiv::String& fileName);
void UpgradeBogeys(ACSChunkRef& config);
void UpgradeNamedMeshes(ACSChunkRef& config);
void UpgradeTrackMeshes(ACSChunkRef& config);
void UpgradeTrackAttachments(ACSChunkRef& config);
void UpgradeAttachments(ACSChunkRef& config, const Kiv::String& fileName);
void UpgradeRestructure(ACSChunkRef& config);
// The number of attachment points "a.name0", "a.name1", ... in a row that the mesh of
// that path (relative to the location folder) holds; 0 when it does not load.
int UpgradeAttachmentNames(const Kiv::String& meshPath);

} // namespace DAROdi
