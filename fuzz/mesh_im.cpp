// The ".im" indexed mesh reader, through its resource type (see mesh_fuzz.h).
#include "mesh_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::LoadMeshBytes<Kiv::KodrinIndexedMeshResource>(data, size, "im");
    return 0;
}
