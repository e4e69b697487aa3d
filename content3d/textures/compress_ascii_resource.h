// CompressAsciiResource: the converting texture resource. The resource system makes it for
// a description whose name ends in "convert-tex.txt" (the conversion job renames a
// ".texture.txt" description so); it reads the description like the engine's own ASCII
// texture, takes conversion options from its owner, chooses each image's output format
// (texture_format_choice.h), compresses the images with nvtt (TextureCompress) and hands
// the compressed levels to the engine's ".texture" writer through the virtual GetMip,
// GetSize, GetNumMipLevels and GetCompressedFormat.
//
// The owner's options must be attached (SetOptions) before the first Lock: they decide the
// load. The description's own hint values win over the options unless "forceOptions" is
// among them. The compressed levels live from CompressImages to the mip unlock.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "content3d/textures/texture_compress.h"
#include "content3d/textures/texture_format_choice.h"
#include "engine/ascii_texture_resource.h"
#include "engine/file_path.h"
#include "engine/options.h"

class CompressAsciiResource : public Kiv::AsciiTextureResource {
public:
    CompressAsciiResource(const Kiv::PString& name, Kiv::ResourceDatabase* database, Form form);

    // A copy of the owner's conversion options, kept for the resource's life.
    void SetOptions(const Kiv::Options& options) { options_ = options; }

    // The loaded size within "MaxTextureSize".
    Kiv::TextureSize GetSize() const override;
    // The display's level count for that size, at most the description's.
    uint32_t GetNumMipLevels() const override;
    int32_t GetCompressedFormat() const override { return ChooseFormat().format; }
    TextureFormatChoice ChooseFormat() const;

    // The engine's mip lock, then every image compressed; on failure unlocked again.
    bool GetMipLock() override;
    // The engine's unlock; once it succeeds the compressed levels are freed.
    bool GetMipUnlock() override;
    // A compressed level (image, level); null when either does not exist.
    std::unique_ptr<Kiv::Bitmap> GetMip(uint32_t image, uint32_t level) const override;

    // Compresses every image of the texture (the engine's mip lock must be held). On
    // failure GetCompressError holds nvtt's text, when nvtt gave one.
    bool CompressImages();
    // Compresses, then writes the converted file at path under location (empty: path is
    // absolute). A file that could not be completed is deleted.
    bool SaveConverted(const Kiv::PString& location, const Kiv::File::Path& path);
    const std::string& GetCompressError() const { return compressError_; }
    // Whether the compression may use CUDA (off unless set; the daemon's setting decides).
    void SetCudaAllowed(bool allowed) { cuda_ = allowed; }

protected:
    ~CompressAsciiResource() override = default;

    bool LoadTxt(std::string_view text) override;

private:
    // One image into the array; false, with nvtt's text in compressError_ when it gave one.
    bool CompressImage(uint32_t index, const TextureFormatChoice& choice);
    bool ApplyOptions();

    std::vector<std::unique_ptr<TextureCompress>> compressed_;
    std::optional<Kiv::Options> options_;
    bool forceOptions_ = false;
    TextureSizeLimit maximum_;
    std::string compressError_;
    bool cuda_ = false;
};
