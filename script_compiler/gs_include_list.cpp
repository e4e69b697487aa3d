// GSIncludeList: the one search list of the process.
#include "script_compiler/gs_include_list.h"

std::vector<GSIncludePath>& GSIncludeList::Entries() {
    static std::vector<GSIncludePath> entries;
    return entries;
}
