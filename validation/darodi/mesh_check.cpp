// Not built yet: the stand-in loads no mesh and answers null.
#include "validation/darodi/mesh_check.h"

namespace DAROdi {

std::unique_ptr<MeshObject> CheckMeshPerformance(const Kiv::File::Path&, Container&) {
    return nullptr;
}

} // namespace DAROdi
