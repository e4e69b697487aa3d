// The data manager singleton's life, its scene and the bump vertex type's registration.
#include "validation/data_manager.h"

#include <atomic>
#include <memory>

#include "foundation/console/fatal_error.h"

namespace DAROdi {

namespace {

std::unique_ptr<DataManager>& Singleton() {
    static std::unique_ptr<DataManager> singleton;
    return singleton;
}

std::atomic<bool> g_bumpVertexTypeRegistered{false};

}  // namespace

bool DataManager::CreateInstance(const char* templateFolder) {
    if (!Singleton()) Singleton().reset(new DataManager(templateFolder));
    return true;
}

DataManager& DataManager::Instance() {
    if (!Singleton()) FatalError("DAROdi::DataManager::Instance> no data manager was made");
    return *Singleton();
}

bool DataManager::HasInstance() {
    return Singleton() != nullptr;
}

void DataManager::DestroyInstance() {
    Singleton().reset();
}

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
