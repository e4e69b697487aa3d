// A material's own texture index.
#include "content3d/materials/texture_slot.h"

#include "engine/material_manager.h"
#include "engine/texture.h"

namespace Kiv {

TextureSlot::~TextureSlot() {
    ReplaceTexture(texture_, nullptr);
}

void TextureSlot::CopyFrom(const TextureSlot& other) {
    ReplaceTexture(texture_, other.texture_);
    amount_ = other.amount_;
}

int TextureSlot::Set(Material& material, Texture* texture, float amount) {
    if (!texture) return kMaterialNoTexture;
    ReplaceTexture(texture_, texture);
    texture->SetResourcePriority(material.GetPriority());
    material.SetTextureDefinition(index_, texture->GetName(), amount);
    amount_ = amount;
    return kMaterialOk;
}

int TextureSlot::SetByName(Material& material, ResourceDatabase* database, const PString& name,
                           float amount, bool keepOnFailure) {
    MaterialManager* manager = material.GetManager();
    Texture* found = manager && manager->GetTextureManager()
                         ? manager->GetTextureManager()->GetTexture(database, name)
                         : nullptr;
    if (!found) {
        if (!keepOnFailure) ReplaceTexture(texture_, nullptr);
        return kMaterialNoTexture;
    }
    Set(material, found, amount);
    found->ReleaseReference();
    material.SetCachedAlphaHint(-1);
    return kMaterialOk;
}

int TextureSlot::Duplicate() {
    if (!texture_) return kMaterialNoTexture;
    Texture* copy = texture_->Duplicate();
    ReplaceTexture(texture_, copy);
    copy->ReleaseReference();
    return kMaterialOk;
}

void TextureSlot::Activate(int level) const {
    if (texture_) texture_->Activate(level);
}

bool TextureSlot::IsLoaded() const {
    return texture_ && texture_->IsLoaded();
}

void TextureSlot::SetResourcePriority(int priority) const {
    if (texture_) texture_->SetResourcePriority(priority);
}

}  // namespace Kiv
