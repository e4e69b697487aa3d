// The least of the engine's scene: a tree of named particles, the camera, lights and the
// scene graph that holds the root particles, plus the viewport a draw happens in. The tree
// does not own its children: whoever made a particle deletes it after unlinking it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/matrix4.h"
#include "engine/pstring.h"

namespace Kiv {

template <typename T>
using FastDynamicArray = std::vector<T>;

class Particle {
public:
    explicit Particle(const PString& name = PString()) : name_(name) {}
    virtual ~Particle();
    Particle(const Particle&) = delete;
    Particle& operator=(const Particle&) = delete;

    const PString& GetName() const { return name_; }
    // The engine type id of the particle's class (0 for a plain particle).
    virtual int GetTypeId() const { return 0; }
    uint32_t GetFlags() const { return flags_; }
    void SetFlags(uint32_t flags) { flags_ = flags; }
    Particle* GetParent() const { return parent_; }
    const std::vector<Particle*>& GetChildren() const { return children_; }
    // Links child last under this particle (unlinking it from an earlier parent).
    void AddChild(Particle* child);
    void RemoveChild(Particle* child);
    // This particle or the first of its descendants (depth first) with that name.
    Particle* FindByName(const PString& name);

private:
    PString name_;
    uint32_t flags_ = 0;
    Particle* parent_ = nullptr;
    std::vector<Particle*> children_;
};

class Camera : public Particle {
public:
    using Particle::Particle;
    const Matrix4& GetViewTransform() const { return viewTransform_; }
    void SetViewTransform(const Matrix4& view) { viewTransform_ = view; }
    const Vector3& GetPosition() const { return position_; }
    void SetPosition(const Vector3& position) { position_ = position; }
    const Matrix4& GetOrientation() const { return orientation_; }
    void SetOrientation(const Matrix4& orientation) { orientation_ = orientation; }
    Particle* GetSceneRoot() const { return sceneRoot_; }
    void SetSceneRoot(Particle* root) { sceneRoot_ = root; }

private:
    Matrix4 viewTransform_;
    Vector3 position_;
    Matrix4 orientation_;
    Particle* sceneRoot_ = nullptr;
};

// Light types (DLightTypes): 0 ambient, 2 spot, 3 parallel.
enum DLightTypes : int { kLightAmbient = 0, kLightSpot = 2, kLightParallel = 3 };

class DisplayLight {
public:
    virtual ~DisplayLight() = default;
    int type = kLightParallel;
    Color ambient{0, 0, 0, 1};
    Color diffuse{0, 0, 0, 1};
    Color specular{0, 0, 0, 1};
    float spotAngle = 0;  // degrees
    float range = 0;
    Vector3 position;
    Vector3 direction{0, 0, 1};

    const Vector3& GetLightPosition() const { return position; }
    const Vector3& GetDirection() const { return direction; }
};

using LightList = FastDynamicArray<DisplayLight*>;

class ParallelLight : public Particle, public DisplayLight {
public:
    // The direction is the orientation's third row.
    ParallelLight(const Vector3& lightPosition, const Matrix4& orientation, float lightRange,
                  const Color& color, int lightType);
    const Color& GetColor() const { return color_; }

private:
    Color color_;
};

class SceneGraph {
public:
    void AddScene(Particle* root) { scenes_.push_back(root); }
    void RemoveScene(Particle* root);
    const std::vector<Particle*>& GetScenes() const { return scenes_; }

private:
    std::vector<Particle*> scenes_;
};

class Viewport {
public:
    explicit Viewport(Camera* camera = nullptr) : camera_(camera) {}
    Camera* GetCamera() const { return camera_; }

private:
    Camera* camera_;
};

}  // namespace Kiv
