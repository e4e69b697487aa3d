// Loading a texture description and decoding its images.
#include "engine/ascii_texture_resource.h"

#include <algorithm>

#include "engine/resource_archive.h"

namespace Kiv {

namespace {

// The folder part of the resource name, with its separator ("a/b/" of "a/b/c.texture").
std::string FolderOf(std::string_view name) {
    const size_t slash = name.find_last_of("/\\");
    return slash == std::string_view::npos ? std::string() : std::string(name.substr(0, slash + 1));
}

bool HasAlphaSource(const TextureDescription& description, const Bitmap& image, size_t index) {
    return !description.images[index].alpha.empty() || image.GetFormat() == Bitmap::kFormatBGRA;
}

}  // namespace

bool AsciiTextureResource::LoadTextureOptions(const TextureOptionList& options) {
    for (const auto& [key, value] : options) {
        if (!description_.Apply(key, value, loadError_)) return false;
    }
    return true;
}

bool AsciiTextureResource::LoadTxt(std::string_view text) {
    if (!description_.Parse(text, loadError_)) return false;
    if (description_.images.empty()) {
        loadError_ = "the description names no image";
        return false;
    }
    return true;
}

bool AsciiTextureResource::LoadComplete() {
    std::vector<std::unique_ptr<Bitmap>> images;
    for (size_t i = 0; i < description_.images.size(); ++i) {
        images.push_back(ReadImage(i));
        if (!images.back()) return false;
        const TextureSize size{images.back()->GetWidth(), images.back()->GetHeight()};
        if (i > 0 && size != size_) {
            loadError_ = "image '" + description_.images[i].primary + "' differs in size from the first";
            return false;
        }
        size_ = size;
    }
    if (description_.alphaKind == TextureDescription::kAlphaUndetermined)
        description_.alphaKind = DeriveAlphaKind(images);
    return Resource::LoadComplete();
}

int8_t AsciiTextureResource::DeriveAlphaKind(const std::vector<std::unique_ptr<Bitmap>>& images) const {
    bool anySource = false;
    for (size_t i = 0; i < images.size(); ++i) {
        if (!HasAlphaSource(description_, *images[i], i)) continue;
        anySource = true;
        const uint8_t* pixels = images[i]->GetPixels();
        for (size_t p = 3; p < images[i]->GetByteCount(); p += 4) {
            if (pixels[p] != 0 && pixels[p] != 255) return TextureDescription::kAlphaFull;
        }
    }
    return anySource ? TextureDescription::kAlphaOneBit : TextureDescription::kAlphaNone;
}

std::unique_ptr<Bitmap> AsciiTextureResource::ReadFile(const std::string& file) {
    const std::string path = FolderOf(GetName().View()) + file;
    std::vector<uint8_t> bytes;
    if (ResourceArchive::CanonicalName(file).empty()) {
        loadError_ = "image name '" + file + "' leaves the description's folder";
        return nullptr;
    }
    if (!ReadSource(path.c_str(), bytes)) {
        loadError_ = "image '" + file + "' cannot be read";
        return nullptr;
    }
    std::string error;
    std::unique_ptr<Bitmap> bitmap = Bitmap::Decode(bytes, file, error);
    if (!bitmap) loadError_ = "image '" + file + "': " + error;
    return bitmap;
}

std::unique_ptr<Bitmap> AsciiTextureResource::ReadImage(size_t index) {
    const TextureDescription::Image& names = description_.images[index];
    std::unique_ptr<Bitmap> primary = ReadFile(names.primary);
    if (!primary || names.alpha.empty()) return primary;
    std::unique_ptr<Bitmap> alpha = ReadFile(names.alpha);
    if (!alpha) return nullptr;
    if (alpha->GetWidth() != primary->GetWidth() || alpha->GetHeight() != primary->GetHeight()) {
        loadError_ = "alpha image '" + names.alpha + "' differs in size from its primary";
        return nullptr;
    }
    auto merged = Bitmap::Create(primary->GetWidth(), primary->GetHeight(), Bitmap::kFormatBGRA);
    const uint8_t* colour = primary->GetPixels();
    const uint8_t* grey = alpha->GetPixels();
    uint8_t* out = merged->GetPixels();
    for (size_t p = 0; p < merged->GetByteCount(); p += 4) {
        out[p] = colour[p];
        out[p + 1] = colour[p + 1];
        out[p + 2] = colour[p + 2];
        out[p + 3] = static_cast<uint8_t>((grey[p] + grey[p + 1] + grey[p + 2]) / 3);
    }
    return merged;
}

bool AsciiTextureResource::GetMipLock() {
    if (GetLoadState() != LoadState::kLoaded) return false;
    if (mipLocks_ > 0) return TextureResource::GetMipLock();
    std::vector<std::unique_ptr<Bitmap>> images;
    for (size_t i = 0; i < description_.images.size(); ++i) {
        images.push_back(ReadImage(i));
        if (!images.back()) return false;
        if (images.back()->GetWidth() != size_.width || images.back()->GetHeight() != size_.height) {
            loadError_ = "an image changed since the texture was loaded";
            return false;
        }
    }
    levels_ = std::move(images);
    return TextureResource::GetMipLock();
}

bool AsciiTextureResource::GetMipUnlock() {
    if (!TextureResource::GetMipUnlock()) return false;
    if (mipLocks_ == 0) levels_.clear();
    return true;
}

std::unique_ptr<Bitmap> AsciiTextureResource::GetMip(uint32_t image, uint32_t level) const {
    if (image >= levels_.size() || level >= GetNumMipLevels()) return nullptr;
    std::unique_ptr<Bitmap> mip = levels_[image]->Clone();
    const uint32_t width = std::max<uint32_t>(1, size_.width >> level);
    const uint32_t height = std::max<uint32_t>(1, size_.height >> level);
    if (level > 0 && !mip->Scale(width, height)) return nullptr;
    if (GetAlphaKind() == TextureDescription::kAlphaNone) {
        for (size_t p = 3; p < mip->GetByteCount(); p += 4) mip->GetPixels()[p] = 0xFF;
    }
    return mip;
}

}  // namespace Kiv
