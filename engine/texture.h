// Kiv::Texture, Kiv::TextureManager and Kiv::SharedTextureCollection: the textures that
// materials hold. A texture is named by (database, name) and loads on use (Activate) or on
// request (Load), once: it is then loaded or failed. Loading locks the texture resource of
// that name; a description of six images is a cube map (kind 1), any other a plain texture
// (kind 0). The display must make a surface for it, which its failure switch can refuse.
// The shared collection's texture 0 is a loaded 1 x 1 white texture.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/alloc.h"
#include "engine/pstring.h"

namespace Kiv {

class Bitmap;
class Display;
class Resource;
class ResourceDatabase;

class Texture : public ReferenceCount {
public:
    enum class State { kUnloaded, kLoaded, kFailed };
    enum Kind { kPlain = 0, kCubeMap = 1 };
    static constexpr int kCubeFaces = 6;

    // database null: a texture with no source (the shared ones), loaded at once.
    Texture(Display* display, ResourceDatabase* database, const PString& name);
    ~Texture() override;

    const PString& GetName() const { return name_; }
    ResourceDatabase* GetDatabase() const { return database_; }
    State GetState() const { return state_; }
    bool IsLoaded() const { return state_ == State::kLoaded; }
    bool HasFailed() const { return state_ == State::kFailed; }
    int GetKind() const { return kind_; }
    int GetPriority() const { return priority_; }
    void SetResourcePriority(int priority) { priority_ = priority; }

    // Loads now when not yet tried; true when loaded.
    bool Load();
    // Use by a material at a detail level: loads on first use.
    void Activate(int level);
    // A new texture of the same source, state, kind and priority, one reference.
    Texture* Duplicate() const;

    // Writes a bitmap into the texture in a display format; the two numbers are the
    // caller's and kept as given. The texture then counts as loaded.
    struct Upload {
        int a = 0;
        int b = 0;
        int format = 0;
        uint32_t width = 0;
        uint32_t height = 0;
    };
    void UploadBitmap(int a, int b, const Bitmap& bitmap, int format);
    // The uploads made, in order.
    const std::vector<Upload>& GetUploads() const { return uploads_; }

private:
    Display* display_;
    ResourceDatabase* database_;
    PString name_;
    Resource* resource_ = nullptr;
    State state_ = State::kUnloaded;
    int kind_ = kPlain;
    int priority_ = 0;
    std::vector<Upload> uploads_;
};

class SharedTextureCollection {
public:
    explicit SharedTextureCollection(Display* display) : display_(display) {}
    ~SharedTextureCollection();
    SharedTextureCollection(const SharedTextureCollection&) = delete;
    SharedTextureCollection& operator=(const SharedTextureCollection&) = delete;

    // Shared texture index with one reference for the caller; only index 0 exists. Null
    // when the display cannot make its surface.
    Texture* GetTexture(int index);

private:
    Display* display_;
    Texture* white_ = nullptr;
};

class TextureManager {
public:
    explicit TextureManager(Display* display) : display_(display), shared_(display) {}
    TextureManager(const TextureManager&) = delete;
    TextureManager& operator=(const TextureManager&) = delete;

    // A new texture of name in database, one reference; null when database is null or
    // neither the file nor "<name>.txt" exists.
    Texture* GetTexture(ResourceDatabase* database, const PString& name);
    SharedTextureCollection& GetSharedTextures() { return shared_; }

private:
    Display* display_;
    SharedTextureCollection shared_;
};

}  // namespace Kiv
