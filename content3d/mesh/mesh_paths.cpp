// Folder and file-name parts of mesh paths.
#include "content3d/mesh/mesh_paths.h"

#include <string>

#include "engine/resource.h"

namespace Kiv {

namespace {

size_t LastSeparator(std::string_view path) { return path.find_last_of("/\\"); }

}  // namespace

std::string_view FolderOf(std::string_view path) {
    const size_t slash = LastSeparator(path);
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

std::string_view FileNameOf(std::string_view path) {
    const size_t slash = LastSeparator(path);
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

PString PlaceInResourceFolder(const Resource* resource, const PString& file) {
    const std::string_view name = FileNameOf(file.View());
    const std::string_view folder = resource ? FolderOf(resource->GetName().View()) : std::string_view();
    if (folder.empty()) return PString(name);
    std::string path(folder);
    path += '/';
    path += name;
    return PString(path);
}

}  // namespace Kiv
