// UpgradeOldConfigIfNeeded: brings a config written for a build before 2.90 up to the
// layout the templates describe, in memory, before the config is matched: numbered
// category tags joined, author keys renamed, meshes named by convention turned into mesh
// tables (old_config_mesh_tables.h), cameras and sound lists restructured, stray words
// removed, and "kodrin-build" stamped 2.9. It reports nothing. Every tag it sets moves to
// the end of its container, in the order the steps set them.
#pragma once

#include "engine/string.h"
#include "foundation/soup/chunk_ref.h"

namespace DAROdi {

// Upgrades the config when (int)(build stamp × 100) is below 290.
void UpgradeOldConfigIfNeeded(ACSChunkRef& config);
// The rewrite itself, whatever the build.
void UpgradeOldConfig(ACSChunkRef& config);
// The rewrites of one kind (kind text, asset file name).
void UpgradeKindTags(ACSChunkRef& config, const Kiv::String& kind, const Kiv::String& fileName);
// Removes the plain tags that follow "description" up to the first one that is a template
// possibility or a container.
void UpgradeAgainstPossibilities(ACSChunkRef& config);
// Removes "asset" and every "asset-…" tag that is no template possibility.
void UpgradeAssetTags(ACSChunkRef& config);

} // namespace DAROdi
