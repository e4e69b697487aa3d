// The ".ka" resource archive reader: the bytes are written to a scratch file and opened;
// an archive that opens must hand out every entry it lists, each of its stated size and
// inside the file, and find each by its own name.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "engine/resource_archive.h"

namespace {

const std::string& ScratchFile() {
    static const std::string path = "/tmp/kiv-fuzz-archive-" + std::to_string(getpid()) + ".ka";
    return path;
}

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        std::ofstream out(ScratchFile(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::string error;
    auto archive = Kiv::ResourceArchive::Open(ScratchFile().c_str(), error);
    if (!archive) {
        Require(!error.empty(), "a refused archive gives a reason");
        return 0;
    }
    for (const Kiv::ResourceArchive::Entry& entry : archive->GetEntries()) {
        Require(entry.offset <= size && entry.size <= size - entry.offset, "entries lie inside the file");
        Require(archive->Find(entry.name) == &entry, "every entry is found by its name");
        std::vector<uint8_t> bytes;
        Require(archive->Read(entry.name, bytes) && bytes.size() == entry.size, "every entry reads");
    }
    return 0;
}
