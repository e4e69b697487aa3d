// The files of an archived asset that extraction leaves out: a name outside the short
// safe alphabet of archive names, a folder path made only of dots, or a file type an
// archive may not carry. The same rules as the extraction itself (CDPArchive), so the
// installer can name every file the installed copy will lack.
#pragma once

#include <string>
#include <vector>

#include "foundation/soup/chunk_ref.h"

// The paths ("folder/name", as stored) of the files and folders left out, in tree order.
std::vector<std::string> SkippedArchiveFiles(const ACSChunkRef& files);
