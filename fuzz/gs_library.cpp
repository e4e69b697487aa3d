// A script library image from an untrusted file, loaded and linked against the machine, then
// an instance of every class made and each of its functions without arguments called
// (gs_script_calls.h), so whatever byte code passed the verifier runs. Whatever the bytes,
// the load ends in 0, -1, -2 or -3 without reading outside the image, no call crashes, and
// every instance is freed.
#include <cstdint>
#include <memory>
#include <span>

#include "foundation/streams/little_endian.h"
#include "fuzz_support.h"
#include "gs_script_calls.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_machine.h"

// The image's own pair is registered as already loading, as the machine does while it loads
// a file, so dependency 0 resolves to the library itself without a file on disk.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    GSMachine machine;
    machine.Init();
    GSLibrary library;
    if (size >= 20) {
        auto entry = std::make_unique<GSLinkEntry>();
        entry->id1 = static_cast<uint32_t>(LoadLittleEndian(data + 12, 4));
        entry->id2 = static_cast<uint32_t>(LoadLittleEndian(data + 16, 4));
        entry->library = &library;
        machine.InsertLinkEntry(std::move(entry));
    }
    const int result = library.Load(&machine, std::span<const uint8_t>(data, size));
    fuzz::Require(result >= GS_LOAD_LINK_ERROR && result <= GS_LOAD_OK, "a load ends in 0, -1, -2 or -3");
    if (result == GS_LOAD_OK) fuzz::RunLibrary(library);
    return 0;
}
