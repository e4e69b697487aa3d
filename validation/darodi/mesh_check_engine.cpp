// The installed mesh-check engine (mesh_check_engine.h).
#include "validation/darodi/mesh_check_engine.h"

#include <atomic>

namespace DAROdi {
namespace {

std::atomic<MeshCheckEngine*> g_engine{nullptr};

} // namespace

void SetMeshCheckEngine(MeshCheckEngine* engine) { g_engine.store(engine); }

MeshCheckEngine* GetMeshCheckEngine() { return g_engine.load(); }

} // namespace DAROdi
