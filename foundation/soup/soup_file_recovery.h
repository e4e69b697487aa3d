// Loading a soup file that a save may have left half done. A save writes the new content
// to the companion file (the same path with the extension "tmp") before it takes the
// file's place, so either file may hold the soup. A file is deleted only when it was read
// and held no soup; one that cannot be opened or read (permissions, a read error) is kept.
#pragma once

#include <functional>

#include "engine/file_path.h"
#include "engine/pstring.h"
#include "foundation/soup/soup_file.h"

// Loads one file under the base folder into the caller's handle.
using SoupFileLoader = std::function<SoupFileStatus(const Kiv::File::Path& path)>;

// The recovery rule over any loader: the path when it loads (its companion then goes),
// else the companion, renamed to the path, when that loads. False when neither loads.
bool RecoverSoupFile(const Kiv::PString& base, const Kiv::File::Path& path,
                     const SoupFileLoader& load);
