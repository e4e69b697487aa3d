// The texture description parser: any text either fails with a reason that names its line
// or gives at most 64 images, each with a primary image name.
#include <cstdio>
#include <cstdlib>

#include "engine/texture_description.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Kiv::TextureDescription description;
    std::string error;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!description.Parse(text, error)) {
        if (error.find("line ") == std::string::npos) std::abort();
        return 0;
    }
    bool sound = description.images.size() <= Kiv::TextureDescription::kMaxImages;
    for (const auto& image : description.images) sound = sound && !image.primary.empty();
    if (!sound) {
        std::fprintf(stderr, "fuzz: the description breaks its own bounds\n");
        std::abort();
    }
    return 0;
}
