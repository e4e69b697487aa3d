// A script library image from an untrusted file, loaded and linked against the machine, then
// an instance of every class made and torn down with its context. Whatever the bytes, the
// load ends in 0, -1, -2 or -3 without reading outside the image, and every instance is
// freed.
#include <cstdint>
#include <memory>
#include <span>

#include "foundation/streams/little_endian.h"
#include "fuzz_support.h"
#include "script_runtime/gs_class.h"
#include "script_runtime/gs_context.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_machine.h"
#include "script_runtime/gs_object.h"

namespace {

void MakeInstances(GSLibrary& library) {
    GSContext context;
    for (size_t i = 0; i < library.ClassCount(); ++i) {
        GSClass* gsClass = library.ClassAt(i);
        auto* object = new GSObject();
        if (object->Attach(gsClass, &context)) {
            fuzz::Require(GSScriptInstance::CastTo(gsClass, GSInstanceOf(object->GetInstance())) != nullptr,
                          "an instance is a view of its own class");
        }
        if (gsClass->IsStatic()) context.GetStaticInstance(gsClass);
        delete object;
    }
}

}  // namespace

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
    if (result == GS_LOAD_OK) MakeInstances(library);
    return 0;
}
