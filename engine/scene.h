// The least of the engine's scene: a tree of named particles, the camera, lights and the
// scene graph that holds the root particles, plus the viewport a draw happens in. The tree
// does not own its children: whoever made a particle deletes it after unlinking it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/matrix4.h"
#include "engine/oriented_box.h"
#include "engine/pstring.h"

namespace Kiv {

class Display;
class ViewPoint;
class Viewport;

struct BoundingSphere {
    Vector3 centre;
    float radius = 0;
};

template <typename T>
using FastDynamicArray = std::vector<T>;

class Particle {
public:
    explicit Particle(const PString& name = PString()) : name_(name) {}
    virtual ~Particle();
    Particle(const Particle&) = delete;
    Particle& operator=(const Particle&) = delete;

    const PString& GetName() const { return name_; }
    void SetName(const PString& name) { name_ = name; }
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

    // Culling marks the particle visited in the viewpoint's frame and keeps the matrix as
    // its world matrix; drawing is the subclasses' (nothing here).
    virtual void Cull(ViewPoint& viewpoint, const Matrix4& matrix);
    virtual void Render(Display& display, Viewport* viewport, const Matrix4& matrix);
    // A new particle of the same class copying this one; null for the plain particle.
    virtual Particle* CreateInstance() const { return nullptr; }
    virtual float GetOpacity() const { return opacity_; }
    virtual void SetOpacity(float opacity) { opacity_ = opacity; }

    uint32_t GetLastCulledFrame() const { return lastCulledFrame_; }
    void SetLastCulledFrame(uint32_t frame) { lastCulledFrame_ = frame; }
    // Frame 0 is before every frame: nothing is visited in it.
    bool WasVisited(uint32_t frame) const { return frame != 0 && lastCulledFrame_ == frame; }
    const Matrix4& GetWorldMatrix() const { return worldMatrix_; }
    void SetWorldMatrix(const Matrix4& matrix) { worldMatrix_ = matrix; }
    const OrientedBox& GetBoundingVolume() const { return boundingVolume_; }
    void SetBoundingVolume(const OrientedBox& box) { boundingVolume_ = box; }
    // The bounding volume's sphere (the box's centre, the length of its half extents) placed
    // by the world matrix.
    BoundingSphere GetBoundingSphere() const;

private:
    PString name_;
    uint32_t flags_ = 0;
    uint32_t lastCulledFrame_ = 0;
    float opacity_ = 1.0f;
    Matrix4 worldMatrix_;
    OrientedBox boundingVolume_;
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
