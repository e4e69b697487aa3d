// Kiv::Bitmap::Load: an image file read whole through the engine's file layer (a plain path,
// or a name under a location or mounted archive) and decoded.
#include <vector>

#include "engine/bitmap.h"
#include "engine/file.h"
#include "engine/pstring.h"
#include "engine/resource_database.h"

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

std::unique_ptr<Bitmap> Bitmap::Load(const char* path, const char* location, bool, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!ResourceDatabase(PString(location)).ReadFile(path, bytes) || bytes.empty() ||
        bytes.size() > static_cast<size_t>(kMaxImageFileBytes)) {
        error = "cannot be read";
        return nullptr;
    }
    return Decode(bytes, path, error);
}

}  // namespace Kiv
