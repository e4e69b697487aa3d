// DAROdi::DataManager: the validation library's process-wide keeper of the validation
// templates (read from the installation's "VAVIrov/" folder) and of the scene in which
// assets are test-loaded. Not built yet: this stand-in keeps the template folder and the
// scene's render kernel, loads no template, builds no scene (no root particle,
// light, fog or render context) and registers no vertex type or render objects; it only
// gives start-up and shut-down the calls and the order they rely on.
#pragma once

#include <string>

namespace Kiv {
class OS;
class RenderKernel;
class ResourceSystem;
}  // namespace Kiv

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

    // Sets up the validation scene on the engine objects of start-up.
    void InitScene(Kiv::ResourceSystem* resourceSystem, Kiv::RenderKernel* renderKernel,
                   Kiv::OS* os);
    bool HasScene() const { return renderKernel_ != nullptr; }
    const std::string& GetTemplateFolder() const { return templateFolder_; }

private:
    explicit DataManager(const char* templateFolder)
        : templateFolder_(templateFolder ? templateFolder : "") {}

    std::string templateFolder_;
    Kiv::RenderKernel* renderKernel_ = nullptr;
};

}  // namespace DAROdi
