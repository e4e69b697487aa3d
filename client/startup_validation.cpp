// Start-up steps of the validation library: its error handler first of all, its data
// manager on the program's template folder, and its scene once the engine runs.
#include "client/startup_objects.h"
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

bool InitValidationScene(StartupRun&) {
    StartupObjects& objects = GetStartupObjects();
    DAROdi::DataManager::Instance().InitScene(objects.resourceSystem.get(),
                                              objects.renderKernel.get(), objects.os.get());
    DAROdi::DataManager::RegisterKodrinBumpVertexType();
    return true;
}

}  // namespace KodrinUtil
