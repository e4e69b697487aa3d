// A mesh-check engine for the validation tests: meshes are described by name (lower case,
// as the checks ask for them) with their resource kind, lock result, attachment points,
// particles, levels and faces, failed textures and material textures; textures the
// kernel knows and animation answers are set per test. It records what the checks did.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "validation/darodi/mesh_check_engine.h"

namespace validation_test {

struct FakeMesh {
    DAROdi::MeshResourceKind kind = DAROdi::MeshResourceKind::kGeometry;
    int lockResult = 0;
    bool makesInstance = true;
    std::vector<std::string> attachments;
    std::vector<std::string> particles;
    std::vector<int> levelFaces{1000};
    std::vector<std::string> failedTextures;
    std::vector<std::vector<std::string>> materials;
};

struct FakeMeshLog {
    std::vector<std::string> animations;
    std::vector<std::string> shown;      // "name:0" or "name:1" as the flag changed
    std::vector<std::string> addedToScene;
    int liveInstances = 0;
    int liveResources = 0;
};

class FakeMeshInstance : public DAROdi::MeshCheckInstance {
  public:
    FakeMeshInstance(std::string name, const FakeMesh& mesh, FakeMeshLog& log,
                     const std::map<std::string, int>& animationResults)
        : name_(std::move(name)), mesh_(mesh), log_(log), animationResults_(animationResults) {
        ++log_.liveInstances;
    }
    ~FakeMeshInstance() override { --log_.liveInstances; }

    std::vector<Kiv::PString> GetAttachmentNames() const override {
        std::vector<Kiv::PString> names;
        for (const std::string& name : mesh_.attachments) names.emplace_back(name.c_str());
        return names;
    }
    int32_t GetLevelCount() const override { return static_cast<int32_t>(mesh_.levelFaces.size()); }
    void SelectLevel(int32_t level) override { level_ = level; }
    int32_t GetFaceCount() const override { return mesh_.levelFaces.at(level_); }
    std::vector<Kiv::String> GetFailedTextures() const override {
        return {mesh_.failedTextures.begin(), mesh_.failedTextures.end()};
    }
    std::vector<std::vector<Kiv::String>> GetMaterialTextureNames() const override {
        std::vector<std::vector<Kiv::String>> out;
        for (const auto& material : mesh_.materials) out.emplace_back(material.begin(), material.end());
        return out;
    }
    bool HasParticle(const Kiv::PString& name) const override {
        for (const std::string& particle : mesh_.particles)
            if (particle == name.View()) return true;
        return false;
    }
    int32_t AddAnimation(const Kiv::PString& name) override {
        log_.animations.push_back(name_ + "<" + std::string(name.View()));
        auto found = animationResults_.find(std::string(name.View()));
        return found == animationResults_.end() ? 0 : found->second;
    }
    void SetShown(bool shown) override { log_.shown.push_back(name_ + (shown ? ":1" : ":0")); }
    const std::string& Name() const { return name_; }

  private:
    std::string name_;
    FakeMesh mesh_;
    FakeMeshLog& log_;
    const std::map<std::string, int>& animationResults_;
    int32_t level_ = 0;
};

class FakeMeshResource : public DAROdi::MeshCheckResource {
  public:
    FakeMeshResource(std::string name, const FakeMesh& mesh, FakeMeshLog& log,
                     const std::map<std::string, int>& animationResults)
        : name_(std::move(name)), mesh_(mesh), log_(log), animationResults_(animationResults) {
        ++log_.liveResources;
    }
    ~FakeMeshResource() override { --log_.liveResources; }
    DAROdi::MeshResourceKind GetKind() const override { return mesh_.kind; }
    int32_t Lock() override { return mesh_.lockResult; }
    void Unlock() override {}
    std::unique_ptr<DAROdi::MeshCheckInstance> CreateInstance(bool) override {
        if (!mesh_.makesInstance) return nullptr;
        return std::make_unique<FakeMeshInstance>(name_, mesh_, log_, animationResults_);
    }

  private:
    std::string name_;
    FakeMesh mesh_;
    FakeMeshLog& log_;
    const std::map<std::string, int>& animationResults_;
};

// Installed while it lives.
class FakeMeshEngine : public DAROdi::MeshCheckEngine {
  public:
    FakeMeshEngine() { DAROdi::SetMeshCheckEngine(this); }
    ~FakeMeshEngine() override { DAROdi::SetMeshCheckEngine(nullptr); }
    FakeMeshEngine(const FakeMeshEngine&) = delete;
    FakeMeshEngine& operator=(const FakeMeshEngine&) = delete;

    bool RunLoad(DAROdi::MeshCheckSteps& steps, const Kiv::PString&, bool, void*) override {
        return steps.RunLoadStep();
    }
    bool RunAnimationLoad(DAROdi::MeshCheckSteps& steps, DAROdi::MeshCheckInstance*,
                          const Kiv::PString&) override {
        return steps.RunAnimationStep();
    }
    std::unique_ptr<DAROdi::MeshCheckResource> GetResource(const Kiv::PString& name) override {
        requested.emplace_back(name.View());
        auto found = meshes.find(std::string(name.View()));
        if (found == meshes.end()) return nullptr;
        return std::make_unique<FakeMeshResource>(found->first, found->second, log,
                                                  animationResults);
    }
    bool HasTexture(const Kiv::PString& name) override {
        return textures.count(std::string(name.View())) != 0;
    }
    void AddToScene(DAROdi::MeshCheckInstance& instance) override {
        log.addedToScene.push_back(static_cast<FakeMeshInstance&>(instance).Name());
    }

    std::map<std::string, FakeMesh> meshes;
    std::set<std::string> textures;
    std::map<std::string, int> animationResults;
    std::vector<std::string> requested;
    FakeMeshLog log;
};

} // namespace validation_test
