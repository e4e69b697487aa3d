// DAROdi::DataManager: the validation library's process-wide keeper of the validation
// templates (read from the installation's "VAVIrov/" folder) and of the scene in which
// assets are test-loaded. Not built yet: this stand-in keeps the template folder and loads
// no template. The scene is content3d's ValidationScene, which it owns, and the bump
// vertex type's registration is content3d's, on the scene's render kernel.
#pragma once

#include <string>

#include "content3d/materials/validation_scene.h"

namespace DAROdi {

class DataManager {
public:
    // Makes the singleton with the template folder (a later call changes nothing); true.
    static bool CreateInstance(const char* templateFolder);
    // The singleton. Ends the process (FatalError) when none was made.
    static DataManager& Instance();
    static bool HasInstance();
    // Shuts the singleton down and deletes it; nothing when there is none.
    static void DestroyInstance();

    // Once per process the product's bump vertex type is registered, after the scene
    // exists; Release undoes it before the manager is destroyed. Each tolerates being
    // called out of turn: a second Register and a Release without Register do nothing.
    static void RegisterKodrinBumpVertexType();
    static void ReleaseKodrinBumpVertexType();
    static bool IsKodrinBumpVertexTypeRegistered();

    // Sets up the validation scene on the engine objects of the start-up record; true.
    bool InitScene(const SceneStartupRecord& record);
    bool HasScene() const { return scene_.GetRenderKernel() != nullptr; }
    const ValidationScene& GetScene() const { return scene_; }
    const std::string& GetTemplateFolder() const { return templateFolder_; }

private:
    explicit DataManager(const char* templateFolder)
        : templateFolder_(templateFolder ? templateFolder : "") {}

    std::string templateFolder_;
    ValidationScene scene_;
};

}  // namespace DAROdi
