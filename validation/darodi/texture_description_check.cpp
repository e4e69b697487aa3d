// CheckTextureDescription: one ".texture.txt" file. Its "Primary=" and "Alpha=" lines name
// the images (exact prefixes at the start of a line, names cut at CR or LF and lower-cased
// under the description's folder, where the engine's case-blind lookup finds them). Each
// line is examined in its first 512 bytes only; a byte of 0x80 or above there makes the
// description non-ANSI, and the other checks still run.
#include <cstring>
#include <memory>
#include <string>

#include "engine/ascii.h"
#include "engine/bitmap.h"
#include "engine/file.h"
#include "engine/resource_archive.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/finding_format.h"
#include "validation/darodi/texture_checks.h"

namespace DAROdi {

namespace {

constexpr size_t kLineBytes = 512;
constexpr const char kPrimary[] = "Primary=";
constexpr const char kAlpha[] = "Alpha=";

struct DescriptionText {
    std::string primary;
    std::string alpha;
    bool nonAnsi = false;
};

// Reads one line's first kLineBytes bytes into line and skips the rest of it; false at
// the end of the file.
bool ReadDescriptionLine(Kiv::File& file, std::string& line) {
    char buffer[kLineBytes + 1];
    const size_t length = file.ReadLine(buffer, sizeof buffer);
    if (length == 0) return false;
    line.assign(buffer, length);
    if (buffer[length - 1] == '\n' || length < kLineBytes) return true;
    size_t rest = 0;
    do {
        rest = file.ReadLine(buffer, sizeof buffer);
    } while (rest != 0 && buffer[rest - 1] != '\n');
    return true;
}

std::string CutAtLineEnd(const std::string& text) { return text.substr(0, text.find_first_of("\r\n")); }

// The names the description gives (the last line of each kind wins); empty when it
// cannot be read.
DescriptionText ReadDescription(const Kiv::File::Path& description) {
    DescriptionText text;
    Kiv::File file;
    if (!file.Open(description.c_str(), Kiv::File::kOpenRead)) return text;
    std::string line;
    while (ReadDescriptionLine(file, line)) {
        for (unsigned char byte : line) text.nonAnsi = text.nonAnsi || byte >= 0x80;
        if (line.compare(0, std::strlen(kPrimary), kPrimary) == 0)
            text.primary = line.substr(std::strlen(kPrimary));
        if (line.compare(0, std::strlen(kAlpha), kAlpha) == 0)
            text.alpha = line.substr(std::strlen(kAlpha));
    }
    text.primary = CutAtLineEnd(text.primary);
    text.alpha = CutAtLineEnd(text.alpha);
    return text;
}

struct ImageCheck {
    std::unique_ptr<Kiv::Bitmap> bitmap;
    bool failedLoad = false;
};

std::string LowerCased(std::string text) {
    for (char& c : text) c = Kiv::Ascii::ToLower(c);
    return text;
}

bool IsPowerOfTwo(uint32_t side) { return side != 0 && (side & (side - 1)) == 0; }

// One named image: missing, unloadable or not power-of-two sides are reported. A name
// that leaves the description's folder counts as missing.
ImageCheck CheckImage(const Kiv::File::Path& root, const Kiv::File::Path& folder,
                      const Kiv::File::Path& description, const std::string& name,
                      const char* missingKey, bool& passed) {
    ImageCheck check;
    const std::string canonical = Kiv::ResourceArchive::CanonicalName(name);
    Kiv::File::Path image(folder);
    image.AddPath(canonical.empty() ? LowerCased(name).c_str() : canonical.c_str());
    const std::string shownImage = ShownTexturePath(root, image);
    if (canonical.empty() || !Kiv::File::Exists(image.c_str())) {
        ReportTextureFinding(
            FormatFinding(missingKey, ShownTexturePath(root, description), shownImage));
        passed = false;
        return check;
    }
    std::string error;
    check.bitmap = Kiv::Bitmap::Load(image.c_str(), error);
    if (!check.bitmap) {
        ReportTextureFinding(FormatFinding("$tet_texture_failedload", shownImage));
        check.failedLoad = true;
        passed = false;
        return check;
    }
    if (!IsPowerOfTwo(check.bitmap->GetWidth()) || !IsPowerOfTwo(check.bitmap->GetHeight())) {
        ReportTextureFinding(FormatFinding("$tet_texture_notpower2", shownImage));
        passed = false;
    }
    return check;
}

bool SameSize(const Kiv::Bitmap& a, const Kiv::Bitmap& b) {
    return a.GetWidth() == b.GetWidth() && a.GetHeight() == b.GetHeight();
}

bool NeedsConvertedTexture() {
    return DataManager::HasInstance() && DataManager::Instance().notEditingOrBase;
}

} // namespace

bool CheckTextureDescription(const Kiv::File::Path& root, const Kiv::File::Path& folder,
                             const Kiv::File::Path& description) {
    const std::string shown = ShownTexturePath(root, description);
    const DescriptionText text = ReadDescription(description);
    bool passed = true;
    if (text.nonAnsi) {
        ReportTextureFinding(FormatFinding("$tet_non_ansi_texture", shown));
        passed = false;
    }
    ImageCheck primary, alpha;
    if (!text.primary.empty()) {
        primary = CheckImage(root, folder, description, text.primary,
                             "$tet_texture_missing_primary", passed);
        if (primary.failedLoad) return false;
    }
    if (!text.alpha.empty()) {
        alpha = CheckImage(root, folder, description, text.alpha, "$tet_texture_missing_alpha",
                           passed);
        if (alpha.failedLoad) return false;
    }
    if (primary.bitmap && alpha.bitmap && !SameSize(*primary.bitmap, *alpha.bitmap)) {
        ReportTextureFinding(FormatFinding("$tet_primaryalpha_notsamesize", shown));
        passed = false;
    }
    Kiv::File::Path converted(description);
    converted.SetExt("");
    if (NeedsConvertedTexture() && !Kiv::File::Exists(converted.c_str())) {
        ReportTextureFinding(FormatFinding("$tet_binary_texture_conversion_failed", shown));
        passed = false;
    }
    return passed;
}

} // namespace DAROdi
