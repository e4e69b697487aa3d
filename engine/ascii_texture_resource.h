// Kiv::AsciiTextureResource: a texture made from its ASCII description (the text form,
// "<name>.txt", of a ".texture" resource) and the images the description names, read
// through the same resource database, relative to the description's folder. Loading parses
// the description and reads every image once to learn the size and, when no alpha hint was
// given, the alpha kind: no alpha source at all gives 0, alpha values of only 0 and 255
// give 2 (one-bit), any other value 1 (full). An image's alpha source is its "Alpha=" image
// (the mean of its red, green and blue) or else its own alpha channel. The mip lock decodes
// the images again and holds them, one BGRA bitmap each, until the last unlock; level n is
// the image box-filtered to the size halved n times, its alpha 0xFF when the alpha kind
// is 0.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "engine/texture_resource.h"

namespace Kiv {

class AsciiTextureResource : public TextureResource {
public:
    AsciiTextureResource(const PString& name, ResourceDatabase* database, Form form)
        : TextureResource(name, database, form) {}

    // Hint keys and values (the description's keys, without images) over the current
    // values; false, with the reason in GetLoadError, at the first bad one.
    bool LoadTextureOptions(const TextureOptionList& options);

    bool GetMipLock() override;
    bool GetMipUnlock() override;
    std::unique_ptr<Bitmap> GetMip(uint32_t image, uint32_t level) const override;

protected:
    ~AsciiTextureResource() override = default;

    bool LoadTxt(std::string_view text) override;
    bool LoadComplete() override;

private:
    // Image i of the description, alpha merged in; null with loadError_ set on failure.
    std::unique_ptr<Bitmap> ReadImage(size_t index);
    std::unique_ptr<Bitmap> ReadFile(const std::string& file);
    int8_t DeriveAlphaKind(const std::vector<std::unique_ptr<Bitmap>>& images) const;

    std::vector<std::unique_ptr<Bitmap>> levels_;  // one per image while mip-locked
};

}  // namespace Kiv
