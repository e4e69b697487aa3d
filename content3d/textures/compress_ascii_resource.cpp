// Loading with options, the format and size the writer sees, compressing, and saving.
#include "content3d/textures/compress_ascii_resource.h"

#include <algorithm>

#include "engine/display_texture.h"
#include "engine/file.h"
#include "engine/kirf_writer.h"
#include "foundation/files/file_paths.h"

namespace {

// The hint keys an owner's options may set, applied in this order.
constexpr const char* kOptionKeys[] = {"Hint",      "AlphaHint", "Anisotropy", "AutoMip",
                                       "MagFilter", "MinFilter", "MipFilter",  "Tile"};

// Inverts the green byte of every pixel that is not wholly 0 (the modify-map setting 1).
void InvertGreen(Kiv::Bitmap& bitmap) {
    uint8_t* pixels = bitmap.GetPixels();
    for (size_t at = 0; at + 4 <= bitmap.GetByteCount(); at += 4) {
        uint8_t* pixel = pixels + at;
        if (pixel[0] | pixel[1] | pixel[2] | pixel[3]) pixel[1] = static_cast<uint8_t>(255 - pixel[1]);
    }
}

}  // namespace

CompressAsciiResource::CompressAsciiResource(const Kiv::PString& name,
                                             Kiv::ResourceDatabase* database, Form form)
    : AsciiTextureResource(name, database, form) {}

bool CompressAsciiResource::ApplyOptions() {
    Kiv::TextureOptionList list;
    for (const char* key : kOptionKeys) {
        if (const char* value = options_->Get(key)) list.emplace_back(key, value);
    }
    return LoadTextureOptions(list);
}

bool CompressAsciiResource::LoadTxt(std::string_view text) {
    if (!options_) {
        loadError_ = "the texture was requested without conversion options";
        return false;
    }
    forceOptions_ = options_->Has("forceOptions");
    maximum_ = ParseMaxTextureSize(options_->Get("MaxTextureSize"));
    if (forceOptions_ && !AsciiTextureResource::LoadTxt(text)) return false;
    const bool applied = ApplyOptions();
    const bool loaded = forceOptions_ || AsciiTextureResource::LoadTxt(text);
    return applied && loaded;
}

Kiv::TextureSize CompressAsciiResource::GetSize() const {
    return ClampTextureSize(AsciiTextureResource::GetSize(), maximum_);
}

uint32_t CompressAsciiResource::GetNumMipLevels() const {
    const Kiv::TextureSize size = GetSize();
    return std::min(Kiv::DisplayTexture::GetNumMipLevels(nullptr, size.width, size.height),
                    AsciiTextureResource::GetNumMipLevels());
}

TextureFormatChoice CompressAsciiResource::ChooseFormat() const {
    TextureFormatInputs inputs;
    inputs.hasOptions = options_.has_value();
    inputs.compression = options_ ? options_->Get("Compression") : nullptr;
    inputs.forceOptions = forceOptions_;
    inputs.alphaKind = GetAlphaKind();
    inputs.normalMap = IsNormalMap();
    inputs.hint = GetCompressionHint();
    inputs.size = GetSize();
    return ChooseTextureFormat(inputs);
}

bool CompressAsciiResource::GetMipLock() {
    if (!AsciiTextureResource::GetMipLock()) return false;
    if (CompressImages()) return true;
    GetMipUnlock();
    return false;
}

bool CompressAsciiResource::GetMipUnlock() {
    if (!AsciiTextureResource::GetMipUnlock()) return false;
    compressed_.clear();
    return true;
}

std::unique_ptr<Kiv::Bitmap> CompressAsciiResource::GetMip(uint32_t image, uint32_t level) const {
    if (image >= compressed_.size()) return nullptr;
    return compressed_[image]->GetLevel(level);
}

bool CompressAsciiResource::CompressImage(uint32_t index, const TextureFormatChoice& choice) {
    std::unique_ptr<Kiv::Bitmap> bitmap = AsciiTextureResource::GetMip(index, 0);
    if (!bitmap) return false;
    const Kiv::TextureSize size = GetSize();
    if (size != AsciiTextureResource::GetSize() && !bitmap->Scale(size.width, size.height))
        return false;
    if (GetModifyMap() == 1 && bitmap->GetFormat() == Kiv::Bitmap::kFormatBGRA) InvertGreen(*bitmap);
    TextureCompress::Settings settings;
    settings.format = choice.format;
    settings.alpha = choice.alpha;
    settings.repeat = GetWrapS() == Kiv::TextureDescription::kWrapRepeat ||
                      GetWrapT() == Kiv::TextureDescription::kWrapRepeat;
    settings.normalMap = IsNormalMap();
    settings.mipMaps = UsesMipMaps();
    settings.cuda = cuda_;
    auto compressed = std::make_unique<TextureCompress>();
    if (!compressed->Compress(TextureCompress::ImageOf(*bitmap), settings)) {
        compressError_ = compressed->GetError();
        return false;
    }
    compressed_.push_back(std::move(compressed));
    return true;
}

bool CompressAsciiResource::CompressImages() {
    compressed_.clear();
    compressError_.clear();
    const TextureFormatChoice choice = ChooseFormat();
    for (uint32_t image = 0; image < GetDepth(); ++image) {
        if (!CompressImage(image, choice)) return false;
    }
    return true;
}

bool CompressAsciiResource::SaveConverted(const Kiv::PString& location, const Kiv::File::Path& path) {
    if (!CompressImages()) return false;
    const Kiv::File::Path full = PathUnder(location, path);
    Kiv::File file;
    if (!file.Open(full.c_str(), Kiv::File::kOpenCreate | Kiv::File::kOpenWrite)) return false;
    const int64_t sizeOffset = Kiv::KIRFWriteHeader(file, Kiv::kKIRFTextureTag);
    const bool saved = sizeOffset >= 0 && SaveLockedInternal(file) && Kiv::KIRFPatchSize(file, sizeOffset);
    file.Close();
    if (!saved) Kiv::File::Unlink(full.c_str());  // never leave a header without its body
    return saved;
}
