// The texture walk: folders recursively, converted textures without a description, and
// leftover conversion requests; descriptions go to CheckTextureDescription.
#include "validation/darodi/texture_checks.h"

#include <algorithm>
#include <filesystem>
#include <string>

#include "engine/file_find.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/error_handler.h"
#include "validation/darodi/finding_format.h"

namespace DAROdi {

namespace {

// Builds are compared as (int)(stamp × 100 + 0.1); from 290 a lone converted texture is an
// error. Written as a comparison so that no float reaches an int conversion.
bool IsBuildFrom290(float stamp) { return static_cast<double>(stamp) * 100.0 + 0.1 >= 290.0; }

// A folder reached through a link is not searched, so a link loop cannot make the walk
// endless.
bool IsSymbolicLink(const Kiv::File::Path& path) {
    std::error_code ignored;
    return std::filesystem::is_symlink(std::filesystem::path(std::string(path.View())), ignored);
}

bool CheckConvertedTexture(const Kiv::File::Path& root, const Kiv::File::Path& texture) {
    const std::string description = std::string(texture.View()) + ".txt";
    if (Kiv::File::Exists(description.c_str())) return true;
    const bool asWarning =
        DataManager::HasInstance() && !IsBuildFrom290(DataManager::Instance().buildStamp);
    ReportTextureFinding(FormatFinding("$tet_duplicatetexture", ShownTexturePath(root, texture)),
                         asWarning);
    return false;
}

bool CheckTextFile(const Kiv::File::Path& root, const Kiv::File::Path& folder,
                   const Kiv::File::Path& file) {
    Kiv::File::Path described(file);
    described.SetExt("");
    if (described.IsExt("convert-tex")) {
        ReportTextureFinding(FormatFinding("$tet_texture_failedload", ShownTexturePath(root, file)));
        return false;
    }
    if (!described.IsExt("texture")) return true;
    return CheckTextureDescription(root, folder, file);
}

} // namespace

std::string ShownTexturePath(const Kiv::File::Path& root, const Kiv::File::Path& path) {
    std::string shown(path.View().substr(std::min(root.Length(), path.Length())));
    std::replace(shown.begin(), shown.end(), '\\', '/');
    const size_t first = shown.find_first_not_of('/');
    shown.erase(0, first == std::string::npos ? shown.size() : first);
    return shown;
}

void ReportTextureFinding(const Kiv::PString& text, bool asWarning) {
    ErrorHandler* handler = ErrorHandler::Instance();
    if (handler == nullptr) return;
    if (asWarning) handler->Warning(text);
    else handler->Error(text);
}

bool CheckAssetTextures(const Kiv::File::Path& root, const Kiv::File::Path& folder) {
    Kiv::File::Find find;
    if (!find.Open(folder.c_str())) return true;
    bool passed = true;
    while (find.Next()) {
        Kiv::File::Path entry(folder);
        entry.AddPath(find.GetName());
        if (find.IsFolder()) {
            if (!IsSymbolicLink(entry)) passed = CheckAssetTextures(root, entry) && passed;
        } else if (entry.IsExt("texture")) {
            passed = CheckConvertedTexture(root, entry) && passed;
        } else if (entry.IsExt("txt")) {
            passed = CheckTextFile(root, folder, entry) && passed;
        }
    }
    return passed;
}

} // namespace DAROdi
