// The shortened forms in which mesh findings quote paths: the path below the asset folder
// (the data manager's asset path and the separator after it cut off), and a path less its
// first one or two folders.
#pragma once

#include <string>
#include <string_view>

namespace DAROdi {

// name less the asset path's length and the separator that follows; name whole when the
// asset path is empty or longer than name.
std::string BelowAssetFolder(std::string_view name);
// name with its first count folders (and their separators) taken off; its file name (the
// last element) always stays.
std::string LessFirstFolders(std::string_view name, int count);

} // namespace DAROdi
