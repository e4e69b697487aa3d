// CheckMeshPerformance: the check of a mesh or animation file that a file-path tag names,
// run for the container that holds the tag. ".im" and ".lm" files (and "x.lm.txt", loaded
// as "x.lm") are loaded into the validation scene as checked meshes (checked_mesh.h) and
// shown in place of the mesh shown before; LOD meshes of child containers are warned about
// when they will draw badly. A ".pm" file is reported as an unsupported format, and a
// ".kin" animation is added to the mesh loaded last. The caller keeps the returned mesh
// for the container (the data manager's AddContainerMesh).
#pragma once

#include <memory>

#include "engine/file_path.h"
#include "validation/darodi/mesh_object.h"

namespace DAROdi {

class Container;

// The loaded mesh, or null (no mesh file, a failure or an animation). With no mesh-check
// engine installed it checks nothing: null, no finding, no flag set.
std::unique_ptr<MeshObject> CheckMeshPerformance(const Kiv::File::Path& meshFile, Container& owner);

} // namespace DAROdi
