// CheckMeshPerformance: the check of a mesh file that a file-path tag names, run for the
// container that holds the tag; it loads the mesh and returns it so the data manager can
// keep it (the attachment points of kept meshes are values combobox tags may name).
#pragma once

#include <memory>

#include "engine/file_path.h"
#include "validation/darodi/mesh_object.h"

namespace DAROdi {

class Container;

// Not built yet: checks nothing, reports nothing and returns null.
std::unique_ptr<MeshObject> CheckMeshPerformance(const Kiv::File::Path& meshFile, Container& owner);

} // namespace DAROdi
