// Kiv::Bitmap::Load: an image file read whole through the engine's file layer and decoded.
#include <vector>

#include "engine/bitmap.h"
#include "engine/file.h"

namespace Kiv {

namespace {

constexpr int64_t kMaxImageFileBytes = int64_t{256} << 20;

}  // namespace

std::unique_ptr<Bitmap> Bitmap::Load(const char* path, std::string& error) {
    File file;
    if (!file.Open(path, File::kOpenRead)) {
        error = "cannot be opened";
        return nullptr;
    }
    const int64_t size = file.Size();
    if (size <= 0 || size > kMaxImageFileBytes) {
        error = size <= 0 ? "is empty" : "is too large";
        return nullptr;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (file.Read(bytes.data(), 1, bytes.size()) != bytes.size()) {
        error = "cannot be read";
        return nullptr;
    }
    return Decode(bytes, path, error);
}

}  // namespace Kiv
