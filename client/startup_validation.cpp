// Start-up steps of the validation library: its error handler first of all, its data
// manager on the program's template folder, and its scene once the engine runs.
#include "client/startup_state.h"
#include "client/startup_steps.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/error_handler.h"

namespace KodrinUtil {

namespace {

constexpr const char* kTemplateFolder = "VAVIrov/";

}  // namespace

bool CreateErrorHandler(StartupRun&) {
    DAROdi::ErrorHandler::CreateInstance();
    return true;
}

// The program folder ends in a separator; "/" is already this platform's separator.
bool CreateDataManager(StartupRun&) {
    const std::string folder = GetStartupState().programFolder + kTemplateFolder;
    return DAROdi::DataManager::CreateInstance(folder.c_str());
}

// The record's words: 0 resource system, 1 render kernel, 2 the third object, 3 unread,
// 4 OS, 5 camera.
bool InitValidationScene(StartupRun& run) {
    const uintptr_t* words = run.record.words;
    SceneStartupRecord scene;
    scene.resourceSystem = reinterpret_cast<Kiv::ResourceSystem*>(words[0]);
    scene.renderKernel = reinterpret_cast<Kiv::RenderKernel*>(words[1]);
    scene.third = reinterpret_cast<void*>(words[2]);
    scene.unused = words[3];
    scene.os = reinterpret_cast<Kiv::OS*>(words[4]);
    scene.camera = reinterpret_cast<Kiv::Camera*>(words[5]);
    DAROdi::DataManager::Instance().InitScene(scene);
    DAROdi::DataManager::RegisterKodrinBumpVertexType();
    return true;
}

}  // namespace KodrinUtil
