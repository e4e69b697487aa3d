// TextureSlot: a material's own extra texture index (8 for the bump normal map, 9 for the
// gloss and environment maps, 12 for the multi-PFX second texture) with the amount of its
// last SetTexture. It does what each of those materials does for its own index; every
// other index stays with the material's base class.
#pragma once

#include "engine/material.h"
#include "engine/pstring.h"

namespace Kiv {

class Texture;
class ResourceDatabase;

class TextureSlot {
public:
    explicit TextureSlot(int index) : index_(index) {}
    ~TextureSlot();
    TextureSlot(const TextureSlot&) = delete;
    TextureSlot& operator=(const TextureSlot&) = delete;

    int GetIndex() const { return index_; }
    Texture* Get() const { return texture_; }
    float GetAmount() const { return amount_; }
    // Replaces the texture (references moved), amount included.
    void CopyFrom(const TextureSlot& other);
    void Fill(Texture* texture) { ReplaceTexture(texture_, texture); }

    // Null: 3 and nothing changes. Otherwise the texture replaces the old one, takes the
    // material's priority, becomes the material's definition of the index, and 0.
    int Set(Material& material, Texture* texture, float amount);
    // The texture of name from the material's texture manager. keepOnFailure: the old
    // texture stays when there is none (3); else the slot becomes empty (3). Success also
    // resets the material's cached alpha hint to -1.
    int SetByName(Material& material, ResourceDatabase* database, const PString& name,
                  float amount, bool keepOnFailure);
    // With a texture, it is replaced by its duplicate and 0; without one 3.
    int Duplicate();
    void Activate(int level) const;
    bool IsLoaded() const;
    void SetResourcePriority(int priority) const;

private:
    int index_;
    Texture* texture_ = nullptr;
    float amount_ = 0;
};

}  // namespace Kiv
