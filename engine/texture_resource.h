// Kiv::TextureResource: a texture of the engine: its description values (images, alpha
// kind, compression hint, size, wrap modes, hints), its mip levels while they are locked,
// and the writer of the converted ".texture" file. The texture formats (the engine's
// numbers) are 1 uncompressed with alpha, 3 uncompressed without, 10 DXT1, 11 DXT3 and
// 12 DXT5. The converted file is a KIRF header with the tag "MMTF" and the body that
// SaveLockedInternal writes (layout in engine/README.md); every level's size and byte
// count are checked against the format before anything of it is written.
//
// Size, level count, format and the levels themselves are virtual, so a converting
// subclass hands its compressed levels to the same writer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/bitmap.h"
#include "engine/resource.h"
#include "engine/texture_description.h"

namespace Kiv {

class Display;
class File;

class TextureResource : public Resource {
public:
    enum TextureFormat : int32_t {
        kTextureBGRA = 1,
        kTextureBGRX = 3,
        kTextureDXT1 = 10,
        kTextureDXT3 = 11,
        kTextureDXT5 = 12,
    };
    static constexpr uint32_t kBodyVersion = 1;

    TextureResource(const PString& name, ResourceDatabase* database, Form form)
        : Resource(name, database, form) {}

    const TextureDescription& GetDescription() const { return description_; }
    int8_t GetAlphaKind() const { return description_.alphaKind; }
    int8_t GetCompressionHint() const { return description_.compressionHint; }
    uint32_t GetDepth() const { return static_cast<uint32_t>(description_.images.size()); }
    int32_t GetWrapS() const { return description_.wrapS; }
    int32_t GetWrapT() const { return description_.wrapT; }
    bool IsNormalMap() const { return description_.normalMap; }
    int32_t GetModifyMap() const { return description_.modifyMap; }
    bool UsesMipMaps() const { return description_.UsesMipMaps(); }
    // Why the last load or mip lock failed.
    const std::string& GetLoadError() const { return loadError_; }

    // The size of level 0 (0 x 0 until loaded).
    virtual TextureSize GetSize() const { return size_; }
    // The full chain for the size when the texture uses mip maps, else 1.
    virtual uint32_t GetNumMipLevels() const;
    // 3 when the texture has no alpha, else 1.
    virtual int32_t GetCompressedFormat() const;
    // Makes the levels available to GetMip; nested locks count. The base has no levels.
    virtual bool GetMipLock();
    // One lock less; false when none was held.
    virtual bool GetMipUnlock();
    // A new bitmap of one level of one image while the levels are locked; null otherwise
    // or when either index does not exist.
    virtual std::unique_ptr<Bitmap> GetMip(uint32_t image, uint32_t level) const;

    // The body after a KIRF header: every image's levels, read through GetMip. display may
    // be null. False, with nothing more written, when a level is missing or its size or
    // byte count does not suit the format.
    bool SaveLockedInternal(File& file, const Display* display = nullptr) const;
    // Header and body into path (created or replaced), the levels locked around it; on
    // failure no file is left.
    virtual bool SaveToFile(const char* path, const Display* display = nullptr);

    // The byte count of a level of that size in a format; 0 for an unknown format.
    static uint64_t LevelByteCount(int32_t format, uint32_t width, uint32_t height);

protected:
    ~TextureResource() override = default;

    TextureDescription description_;
    TextureSize size_;
    std::string loadError_;
    int32_t mipLocks_ = 0;
};

}  // namespace Kiv
