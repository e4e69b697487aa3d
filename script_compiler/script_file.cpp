// ScriptFile waiting for the two file forms: nothing is read or written.
#include "script_compiler/script_file.h"

bool ScriptFile::Load(const char*, const Kiv::File::Path&) {
    return false;
}

bool ScriptFile::Save(const char*, const Kiv::File::Path&) {
    return false;
}

void ScriptFile::Close() {}
