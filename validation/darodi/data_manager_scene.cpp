// The data manager's scene and the bump vertex type's registration.
#include "validation/darodi/data_manager.h"

#include <atomic>

namespace DAROdi {

namespace {

std::atomic<bool> g_bumpVertexTypeRegistered{false};

}  // namespace

void DataManager::RegisterKodrinBumpVertexType() {
    g_bumpVertexTypeRegistered.store(true);
}

void DataManager::ReleaseKodrinBumpVertexType() {
    g_bumpVertexTypeRegistered.store(false);
}

bool DataManager::IsKodrinBumpVertexTypeRegistered() {
    return g_bumpVertexTypeRegistered.load();
}

void DataManager::InitScene(Kiv::ResourceSystem*, Kiv::RenderKernel* renderKernel, Kiv::OS*) {
    renderKernel_ = renderKernel;
}

}  // namespace DAROdi
