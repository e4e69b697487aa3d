// Texture values, level sizes and the "MMTF" body writer.
#include "engine/texture_resource.h"

#include <algorithm>
#include <string>

#include "engine/byte_reader.h"
#include "engine/display_texture.h"
#include "engine/file.h"
#include "engine/kirf_writer.h"

namespace Kiv {

namespace {

uint32_t LevelSide(uint32_t side, uint32_t level) {
    return level >= 32 ? 1 : std::max<uint32_t>(1, side >> level);
}

bool SuitsFormat(const Bitmap& bitmap, int32_t format) {
    const bool compressed = format >= TextureResource::kTextureDXT1;
    return compressed ? bitmap.GetFormat() == Bitmap::kFormatRaw
                      : bitmap.GetFormat() != Bitmap::kFormatRaw;
}

}  // namespace

uint32_t TextureResource::GetNumMipLevels() const {
    const TextureSize size = GetSize();
    if (!UsesMipMaps()) return size.width && size.height ? 1 : 0;
    return DisplayTexture::GetNumMipLevels(nullptr, size.width, size.height);
}

int32_t TextureResource::GetCompressedFormat() const {
    return GetAlphaKind() == TextureDescription::kAlphaNone ? kTextureBGRX : kTextureBGRA;
}

bool TextureResource::GetMipLock() {
    ++mipLocks_;
    return true;
}

bool TextureResource::GetMipUnlock() {
    if (mipLocks_ == 0) return false;
    --mipLocks_;
    return true;
}

std::unique_ptr<Bitmap> TextureResource::GetMip(uint32_t, uint32_t) const { return nullptr; }

uint64_t TextureResource::LevelByteCount(int32_t format, uint32_t width, uint32_t height) {
    const uint64_t blocks = uint64_t{(width + 3) / 4} * ((height + 3) / 4);
    switch (format) {
        case kTextureBGRA:
        case kTextureBGRX: return uint64_t{width} * height * 4;
        case kTextureDXT1: return blocks * 8;
        case kTextureDXT3:
        case kTextureDXT5: return blocks * 16;
        default: return 0;
    }
}

bool TextureResource::SaveLockedInternal(File& file, const Display*) const {
    const int32_t format = GetCompressedFormat();
    const TextureSize size = GetSize();
    const uint32_t levels = GetNumMipLevels();
    std::string body;
    PutU32(body, kBodyVersion);
    PutU32(body, static_cast<uint32_t>(format));
    PutU32(body, size.width);
    PutU32(body, size.height);
    PutU32(body, GetDepth());
    PutU32(body, levels);
    body.push_back(static_cast<char>(GetAlphaKind()));
    body.push_back(static_cast<char>(GetWrapS()));
    body.push_back(static_cast<char>(GetWrapT()));
    body.push_back(IsNormalMap() ? 1 : 0);
    for (uint32_t image = 0; image < GetDepth(); ++image) {
        for (uint32_t level = 0; level < levels; ++level) {
            std::unique_ptr<Bitmap> mip = GetMip(image, level);
            const uint32_t width = LevelSide(size.width, level);
            const uint32_t height = LevelSide(size.height, level);
            if (!mip || mip->GetWidth() != width || mip->GetHeight() != height ||
                !SuitsFormat(*mip, format) ||
                mip->GetByteCount() != LevelByteCount(format, width, height))
                return false;
            PutU32(body, width);
            PutU32(body, height);
            PutU32(body, static_cast<uint32_t>(mip->GetByteCount()));
            body.append(reinterpret_cast<const char*>(mip->GetPixels()), mip->GetByteCount());
        }
    }
    return levels > 0 && file.Write(body.data(), 1, body.size()) == body.size();
}

bool TextureResource::SaveToFile(const char* path, const Display* display) {
    if (!GetMipLock()) return false;
    File file;
    bool saved = static_cast<bool>(file.Open(path, File::kOpenCreate | File::kOpenWrite));
    if (saved) {
        const int64_t sizeOffset = KIRFWriteHeader(file, kKIRFTextureTag);
        saved = sizeOffset >= 0 && SaveLockedInternal(file, display) && KIRFPatchSize(file, sizeOffset);
    }
    GetMipUnlock();
    file.Close();
    if (!saved) File::Unlink(path);  // never leave a header without its body
    return saved;
}

}  // namespace Kiv
