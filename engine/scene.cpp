// The particle tree, the parallel light and the scene graph.
#include "engine/scene.h"

#include <algorithm>
#include <cmath>

#include "engine/view_point.h"

namespace Kiv {

Particle::~Particle() {
    if (parent_) parent_->RemoveChild(this);
    for (Particle* child : children_) child->parent_ = nullptr;
}

void Particle::AddChild(Particle* child) {
    if (!child || child == this) return;
    if (child->parent_) child->parent_->RemoveChild(child);
    child->parent_ = this;
    children_.push_back(child);
}

void Particle::RemoveChild(Particle* child) {
    const auto found = std::find(children_.begin(), children_.end(), child);
    if (found == children_.end()) return;
    children_.erase(found);
    child->parent_ = nullptr;
}

Particle* Particle::FindByName(const PString& name) {
    if (name_ == name) return this;
    for (Particle* child : children_) {
        if (Particle* found = child->FindByName(name)) return found;
    }
    return nullptr;
}

void Particle::Cull(ViewPoint& viewpoint, const Matrix4& matrix) {
    lastCulledFrame_ = viewpoint.GetFrameNumber();
    worldMatrix_ = matrix;
}

void Particle::Render(Display&, Viewport*, const Matrix4&) {}

BoundingSphere Particle::GetBoundingSphere() const {
    const Vector3& h = boundingVolume_.halfExtents;
    return {worldMatrix_.TransformPoint(boundingVolume_.centre), std::sqrt(h.x * h.x + h.y * h.y + h.z * h.z)};
}

ParallelLight::ParallelLight(const Vector3& lightPosition, const Matrix4& orientation,
                             float lightRange, const Color& color, int lightType)
    : color_(color) {
    type = lightType;
    position = lightPosition;
    range = lightRange;
    direction = {orientation.At(2, 0), orientation.At(2, 1), orientation.At(2, 2)};
}

void SceneGraph::RemoveScene(Particle* root) {
    scenes_.erase(std::remove(scenes_.begin(), scenes_.end(), root), scenes_.end());
}

}  // namespace Kiv
