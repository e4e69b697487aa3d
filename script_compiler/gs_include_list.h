// GSIncludeList: the process-wide list of folders (each optionally inside an archive) that
// the compiler searches, front to back, for a source and its includes. The command-line
// driver rebuilds it for every compile (the source's own folder first, then the "-i"
// folders in command-line order); other callers set it before they compile. Entries are
// owned by the list and deleted by Clear.
#pragma once

#include "engine/file_path.h"
#include "engine/pstring.h"
#include "foundation/utils/ptr_list.h"

struct GSIncludePath {
    GSIncludePath(const Kiv::File::Path& folder, const Kiv::PString& archiveName)
        : path(folder), archive(archiveName) {}
    Kiv::File::Path path;
    Kiv::PString archive;  // empty: the plain file system
};

class GSIncludeList {
public:
    // Deletes every entry and empties the list.
    static void Clear();
    // Adds a copy of the entry at the back or the front; false when memory runs out.
    static bool PushBack(const GSIncludePath& entry);
    static bool PushFront(const GSIncludePath& entry);
    // The entries (GSIncludePath pointers) in search order.
    static const Utils::PtrList& List() { return Entries(); }
    static const GSIncludePath& At(const Utils::PtrList::Node* node) {
        return *static_cast<const GSIncludePath*>(node->value);
    }

private:
    static Utils::PtrList& Entries();
};
