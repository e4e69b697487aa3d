// DAROdi::CheckedMesh: a mesh file loaded into the validation scene for a container, plain
// (".im") or LOD (".lm"), through the installed mesh-check engine (mesh_check_engine.h).
// Loading (a main-thread job of the engine's mesh object) resolves the mesh resource,
// builds its instance, copies its attachment names and checks the textures its materials
// name; an animation (".kin") is added to a loaded mesh by the same kind of job.
// Every failure is a finding about the report context (the container the mesh was loaded
// for, or none) and a false result. The data manager keeps the meshes the checks loaded.
#pragma once

#include <memory>
#include <vector>

#include "engine/file_path.h"
#include "engine/pstring.h"
#include "validation/darodi/mesh_check_engine.h"
#include "validation/darodi/mesh_object.h"

namespace DAROdi {

class Container;

class CheckedMesh : public MeshObject, private MeshCheckSteps {
  public:
    explicit CheckedMesh(bool lod) : lod_(lod) {}
    ~CheckedMesh() override;

    // Loads the mesh of that path (relative to the location folder); findings go to
    // context. False when no engine is installed or the mesh did not load.
    bool Load(const Kiv::PString& path, Container* context);
    // Adds the animation of that path to the loaded mesh; false, with a finding, when it
    // could not be added.
    bool LoadAnimation(const Kiv::PString& path);

    std::vector<Kiv::PString> GetAttachmentNames() const override { return attachments_; }
    Kiv::File::Path GetFilePath() const override { return Kiv::File::Path(meshName_.View()); }

    bool IsLOD() const { return lod_; }
    bool IsLoaded() const { return loaded_; }
    MeshCheckInstance* GetInstance() const { return instance_.get(); }
    Container* GetReportContext() const { return reportContext_; }
    const std::vector<Kiv::PString>& GetAnimationNames() const { return animationNames_; }
    bool HasParticle(const Kiv::PString& name) const;

  private:
    // The steps the engine's jobs run.
    bool RunLoadStep() override;
    bool RunAnimationStep() override;
    bool LoadStep(MeshCheckEngine& engine);
    // Resolves the resource and builds the instance; false with its finding raised.
    bool BuildInstance(MeshCheckEngine& engine);
    void LoadMaterials(MeshCheckEngine& engine) const;
    void CheckTextureDescription(const Kiv::String& texture) const;
    bool LoadAnimationStep();

    bool lod_;
    bool loaded_ = false;
    Kiv::PString meshName_;
    Kiv::PString workingName_;
    Kiv::PString animationName_;
    Container* reportContext_ = nullptr;
    std::unique_ptr<MeshCheckInstance> instance_;
    std::vector<Kiv::PString> attachments_;
    std::vector<Kiv::PString> animationNames_;
};

// An error about the context when there is one, else a subjectless error.
void ReportAboutContext(Container* context, const Kiv::PString& text);

} // namespace DAROdi
