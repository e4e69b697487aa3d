// GSIncludeList: the process-wide list of folders (each optionally inside an archive) that
// the compiler searches, front to back, for a source and its includes. The command-line
// driver rebuilds it for every compile; other callers set it before they compile.
#pragma once

#include <vector>

#include "engine/file_path.h"
#include "engine/pstring.h"

struct GSIncludePath {
    GSIncludePath(const Kiv::File::Path& folder, const Kiv::PString& archiveName)
        : path(folder), archive(archiveName) {}
    Kiv::File::Path path;
    Kiv::PString archive;  // empty: the plain file system
};

class GSIncludeList {
public:
    static void Clear() { Entries().clear(); }
    static void PushBack(const GSIncludePath& entry) { Entries().push_back(entry); }
    static void PushFront(const GSIncludePath& entry) { Entries().insert(Entries().begin(), entry); }
    static std::vector<GSIncludePath>& Entries();
};
