// GSIncludeList: the one search list of the process.
#include "script_compiler/gs_include_list.h"

#include <new>

namespace {

GSIncludePath* Copy(const GSIncludePath& entry) {
    return new (std::nothrow) GSIncludePath(entry);
}

// The list, whose entries go with it when the process ends normally.
struct OwningList {
    ~OwningList() { list.ClearDeletingValues<GSIncludePath>(); }
    Utils::PtrList list;
};

}  // namespace

Utils::PtrList& GSIncludeList::Entries() {
    static OwningList entries;
    return entries.list;
}

void GSIncludeList::Clear() {
    Entries().ClearDeletingValues<GSIncludePath>();
}

bool GSIncludeList::PushBack(const GSIncludePath& entry) {
    GSIncludePath* copy = Copy(entry);
    if (copy && Entries().PushBack(copy)) return true;
    delete copy;
    return false;
}

bool GSIncludeList::PushFront(const GSIncludePath& entry) {
    GSIncludePath* copy = Copy(entry);
    if (copy && Entries().PushFront(copy)) return true;
    delete copy;
    return false;
}

std::vector<GSIncludePath> GSIncludeList::Take() {
    std::vector<GSIncludePath> entries;
    const Utils::PtrList& list = Entries();
    for (const Utils::PtrList::Node* node = list.Begin(); node != list.End(); node = node->next)
        entries.push_back(At(node));
    Clear();
    return entries;
}

bool GSIncludeList::Restore(const std::vector<GSIncludePath>& entries) {
    Clear();
    for (const GSIncludePath& entry : entries)
        if (!PushBack(entry)) return false;
    return true;
}
