// Small helpers the old-config upgrade and its mesh-table builders share: a mesh-table
// entry, the engine's path join, and a mesh loaded for inspection.
#pragma once

#include <memory>
#include <string>

#include "foundation/soup/chunk_ref.h"
#include "validation/darodi/checked_mesh.h"

namespace DAROdi {

// Sets under name in table the entry {mesh, auto-create (the integer)}.
void AddMeshEntry(ACSChunkRef& table, const char* name, const std::string& mesh, int autoCreate);
// folder joined with name by Kiv::File::Path::AddPath; name alone when folder is empty.
std::string JoinPath(const std::string& folder, const std::string& name);
// The mesh of that path below the asset folder, loaded with no report context; null when
// it did not load.
std::unique_ptr<CheckedMesh> LoadMeshForInspection(const std::string& meshPath);

} // namespace DAROdi
