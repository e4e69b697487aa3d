// The names a mesh composes from its resource's name: the folder of the resource name
// ("assets/loco" for "assets/loco/body.im"), a texture file placed in that folder by its
// file name alone, and a path's bare file name.
#pragma once

#include <string_view>

#include "engine/pstring.h"

namespace Kiv {

class Resource;

std::string_view FolderOf(std::string_view path);
std::string_view FileNameOf(std::string_view path);
// "<folder of the resource's name>/<file name of file>"; the file name alone when that
// folder is empty or there is no resource.
PString PlaceInResourceFolder(const Resource* resource, const PString& file);

}  // namespace Kiv
