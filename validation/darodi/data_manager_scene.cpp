// The data manager's scene and the bump vertex type's registration, both content3d's.
#include "validation/darodi/data_manager.h"

namespace DAROdi {

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
