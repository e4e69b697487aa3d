// Kiv::ResourceArchiveWriter: builds a ".ka" resource archive (format in
// engine/resource_archive.h) from named byte blocks. Tests and tools pack folders with it;
// the program itself only reads archives.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace Kiv {

class ResourceArchiveWriter {
public:
    void Add(std::string name, std::string bytes) {
        entries_.emplace_back(std::move(name), std::move(bytes));
    }
    // The whole archive: header, index in the order added, then the data in that order.
    std::string Build() const;
    // Build written to path (created or replaced); false when it cannot be written.
    bool Write(const char* path) const;

private:
    std::vector<std::pair<std::string, std::string>> entries_;
};

}  // namespace Kiv
