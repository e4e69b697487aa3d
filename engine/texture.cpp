// Textures: loading through the texture resource, the shared white texture, the manager.
#include "engine/texture.h"

#include <string>

#include "engine/bitmap.h"
#include "engine/display.h"
#include "engine/resource_database.h"
#include "engine/texture_resource.h"

namespace Kiv {

namespace {

constexpr const char* kWhiteTextureName = "SharedTexture0";

}  // namespace

Texture::Texture(Display* display, ResourceDatabase* database, const PString& name)
    : display_(display), database_(database), name_(name) {
    if (!database_) state_ = display_ && display_->GetTextureSurfaceFailure() ? State::kFailed
                                                                               : State::kLoaded;
}

Texture::~Texture() {
    if (!resource_) return;
    resource_->Unlock();
    resource_->Release();
}

bool Texture::Load() {
    if (state_ != State::kUnloaded) return IsLoaded();
    state_ = State::kFailed;
    if (display_ && display_->GetTextureSurfaceFailure()) return false;
    Resource* resource = database_->Get(name_);
    if (!resource) return false;
    if (!resource->Lock()) {
        resource->Release();
        return false;
    }
    resource_ = resource;
    const auto* texture = dynamic_cast<const TextureResource*>(resource);
    if (texture && texture->GetDepth() == kCubeFaces) kind_ = kCubeMap;
    state_ = State::kLoaded;
    return true;
}

void Texture::Activate(int level) {
    if (display_) display_->Record("ActivateTexture %s %d", name_.c_str(), level);
    Load();
}

void Texture::UploadBitmap(int a, int b, const Bitmap& bitmap, int format) {
    uploads_.push_back({a, b, format, bitmap.GetWidth(), bitmap.GetHeight()});
    state_ = State::kLoaded;
}

Texture* Texture::Duplicate() const {
    Texture* copy = new Texture(display_, database_, name_);
    copy->state_ = state_;
    copy->kind_ = kind_;
    copy->priority_ = priority_;
    if (resource_) {
        resource_->AddReference();
        resource_->Lock();
        copy->resource_ = resource_;
    }
    return copy;
}

SharedTextureCollection::~SharedTextureCollection() {
    if (white_) white_->ReleaseReference();
}

Texture* SharedTextureCollection::GetTexture(int index) {
    if (index != 0) return nullptr;
    if (!white_) {
        white_ = new Texture(display_, nullptr, PString(kWhiteTextureName));
        if (!white_->IsLoaded()) {
            white_->ReleaseReference();
            white_ = nullptr;
            return nullptr;
        }
    }
    white_->AddReference();
    return white_;
}

Texture* TextureManager::GetTexture(ResourceDatabase* database, const PString& name) {
    if (!database || name.IsNull()) return nullptr;
    const std::string text = name.Text();
    if (!database->Exists(text.c_str()) && !database->Exists((text + ".txt").c_str())) {
        return nullptr;
    }
    return new Texture(display_, database, name);
}

}  // namespace Kiv
