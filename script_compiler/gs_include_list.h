// GSIncludeList: the process-wide list of folders (each optionally inside an archive) that
// the compiler searches, front to back, for a source and its includes. The command-line
// driver rebuilds it for every compile (the source's own folder first, then the "-i"
// folders in command-line order); other callers set it before they compile, and may move
// it out (Take), fill it for a compile of their own and put it back (Restore). An entry
// with an archive (or location) name searches inside it through the engine's resource
// layer. Entries are owned by the list and deleted by Clear.
#pragma once

#include <vector>

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
    // The entries in search order, moved out: the list is empty afterwards.
    static std::vector<GSIncludePath> Take();
    // Replaces the list with the entries (as Take gave them); false when memory runs out,
    // with the entries that fitted in place.
    static bool Restore(const std::vector<GSIncludePath>& entries);
    // The entries (GSIncludePath pointers) in search order.
    static const Utils::PtrList& List() { return Entries(); }
    static const GSIncludePath& At(const Utils::PtrList::Node* node) {
        return *static_cast<const GSIncludePath*>(node->value);
    }

private:
    static Utils::PtrList& Entries();
};
