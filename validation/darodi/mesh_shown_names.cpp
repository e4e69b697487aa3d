// Shortened paths for mesh findings (mesh_shown_names.h).
#include "validation/darodi/mesh_shown_names.h"

#include "validation/darodi/data_manager.h"

namespace DAROdi {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

} // namespace

std::string BelowAssetFolder(std::string_view name) {
    const size_t n = DataManager::Instance().GetAssetPath().Length();
    if (n == 0 || n > name.size()) return std::string(name);
    name.remove_prefix(n);
    if (!name.empty() && IsSeparator(name.front())) name.remove_prefix(1);
    return std::string(name);
}

std::string LessFirstFolders(std::string_view name, int count) {
    for (int i = 0; i < count; ++i) {
        const size_t separator = name.find_first_of("/\\");
        if (separator == std::string_view::npos) break;
        name.remove_prefix(separator + 1);
    }
    return std::string(name);
}

} // namespace DAROdi
