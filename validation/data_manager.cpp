// The data manager singleton's life, its scene and the bump vertex type's registration.
#include "validation/data_manager.h"

#include <memory>

#include "foundation/console/fatal_error.h"

namespace DAROdi {

namespace {

std::unique_ptr<DataManager>& Singleton() {
    static std::unique_ptr<DataManager> singleton;
    return singleton;
}

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
    ::RegisterKodrinBumpVertexType(currentRenderKernel);
}

void DataManager::ReleaseKodrinBumpVertexType() {
    ::ReleaseKodrinBumpVertexType();
}

bool DataManager::IsKodrinBumpVertexTypeRegistered() {
    return GetBumpVertexTypeRegistration().registered;
}

bool DataManager::InitScene(const SceneStartupRecord& record) {
    return scene_.Init(record);
}

}  // namespace DAROdi
