// ScriptFile: one script source in memory, plain (".gs") or compressed and scrambled
// (".gse"), loaded and saved by file extension. Not built yet: no file form is read or
// written, so Load and Save answer false; the two forms come with the script compiler.
#pragma once

#include "engine/file_path.h"

class ScriptFile {
public:
    // Loads the file at path (inside the named archive when archive is not empty). Not
    // built yet: always false.
    bool Load(const char* archive, const Kiv::File::Path& path);
    // Saves in the form the path's extension names. Not built yet: always false.
    bool Save(const char* archive, const Kiv::File::Path& path);
    // Forgets what was loaded.
    void Close();
};
