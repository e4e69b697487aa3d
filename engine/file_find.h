// Kiv::File::Find: a search of one folder. Open takes a folder (every entry) or a folder and
// a last component with "*" and "?" wildcards ("scripts/*.gsl"); an optional second pattern
// must match too. Names match ignoring ASCII case, "*.*" matches every name, and the folder
// part is resolved like every engine path. "." and ".." are never reported. The entries are
// read at Open and reported in byte order of their names, so a search is repeatable.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/file.h"

namespace Kiv {

class File::Find {
public:
    // Starts a search; fails when the folder cannot be read. Entries come with Next.
    Result Open(const char* pattern, const char* namePattern = nullptr);
    // Moves to the next entry; false when there are no more.
    bool Next();
    void Close();

    const char* GetName() const { return Current().name.c_str(); }
    bool IsFolder() const { return Current().isFolder; }
    int64_t GetSize() const { return Current().size; }

    // "*" any run of characters, "?" any one; ASCII case ignored.
    static bool Matches(std::string_view pattern, std::string_view name);

private:
    struct Entry {
        std::string name;
        bool isFolder = false;
        int64_t size = 0;
    };
    const Entry& Current() const;

    std::vector<Entry> entries_;
    size_t next_ = 0;  // one past the current entry
};

}  // namespace Kiv
