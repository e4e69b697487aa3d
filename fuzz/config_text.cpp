// The engine's configuration text and the "imtxt" layout read from it: a parse that
// succeeds gives a tree, and geometry that loads keeps every index and influence entry
// inside its chunk; geometry that is refused keeps nothing.
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "engine/config_parser.h"
#include "engine/geometry_config_data.h"

namespace {

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Kiv::ConfigParser parser;
    const int result = parser.ParseText(std::string_view(reinterpret_cast<const char*>(data), size));
    Require((result == Kiv::ConfigParser::kOk) == (parser.GetRoot() != nullptr), "a tree exactly when parsed");
    if (!parser.GetRoot()) return 0;
    Kiv::GeometryConfigData geometry;
    if (!geometry.LoadConfigData(*parser.GetRoot(), true, true, true, "fuzz.imtxt")) {
        Require(geometry.chunks.empty() && geometry.influences.empty(), "refused geometry keeps nothing");
        return 0;
    }
    for (const Kiv::ConfigChunk& chunk : geometry.chunks) {
        for (uint16_t index : chunk.indices) Require(index < chunk.positions.size(), "indices inside the chunk");
    }
    for (const Kiv::ConfigInfluence& influence : geometry.influences) {
        for (const Kiv::InfluenceGroup& group : influence.groups) {
            Require(group.chunkIndex < geometry.chunks.size(), "groups name chunks");
            for (const Kiv::InfluenceEntry& entry : group.entries) {
                Require(entry.vertex < geometry.chunks[group.chunkIndex].positions.size(), "entries inside the chunk");
            }
        }
    }
    return 0;
}
