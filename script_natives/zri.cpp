// The native plug-in interface's objects: strings, arrays, library objects and host
// contexts, each with a reference count, and the plug-in memory blocks. All of it is
// exported from the program for the plug-ins it loads.
#include "script_natives/zri.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "script_runtime/gs_log.h"

struct ZRIObject {
    explicit ZRIObject(int32_t id) : classId(id) {}
    virtual ~ZRIObject() = default;

    int32_t classId;
    int32_t references = 1;
};

namespace {

std::atomic<int32_t> g_liveObjects{0};
std::atomic<int64_t> g_pluginBytes{0};

struct ZRIString : ZRIObject {
    explicit ZRIString(const char* value) : ZRIObject(ZRI_CLASS_STRING) {
        if (value) text = value;
    }
    std::optional<std::string> text;
};

struct ZRIArray : ZRIObject {
    explicit ZRIArray(int32_t count) : ZRIObject(ZRI_CLASS_ARRAY), elements(count > 0 ? count : 0, nullptr) {}
    ~ZRIArray() override {
        for (ZRIObject* element : elements) ZRIRelease(element);
    }
    ZRIObject* At(int32_t index) const {
        return index >= 0 && static_cast<size_t>(index) < elements.size() ? elements[index] : nullptr;
    }
    std::vector<ZRIObject*> elements;
};

struct ZRILibrary : ZRIObject {
    ZRILibrary(ZRILibraryCall function, void (*releaseFunction)(void*), void* userData)
        : ZRIObject(ZRI_CLASS_LIBRARY), call(function), release(releaseFunction), data(userData) {}
    ~ZRILibrary() override {
        if (release) release(data);
    }
    ZRILibraryCall call;
    void (*release)(void*);
    void* data;
};

template <class T, class... Arguments> ZRIObject* Made(Arguments... arguments) {
    ++g_liveObjects;
    return new T(arguments...);
}

ZRIArray* AsArray(ZRIObject* object) {
    return object && object->classId == ZRI_CLASS_ARRAY ? static_cast<ZRIArray*>(object) : nullptr;
}

} // namespace

extern "C" {

ZRIObject* ZRIAllocString(const char* text) { return Made<ZRIString>(text); }

ZRIObject* ZRIAllocArray(int32_t count) { return Made<ZRIArray>(count); }

void ZRISetArrayElement(ZRIObject* array, int32_t index, ZRIObject* element) {
    ZRIArray* target = AsArray(array);
    if (!target || index < 0 || static_cast<size_t>(index) >= target->elements.size()) return;
    ZRIAddReference(element);
    ZRIRelease(target->elements[index]);
    target->elements[index] = element;
}

ZRIObject* ZRICallLibraryFunction(ZRIObject* library, ZRIObject* name, ZRIObject* arguments) {
    if (!library || library->classId != ZRI_CLASS_LIBRARY) return nullptr;
    const char* text = ZRIGetStringText(name);
    auto* target = static_cast<ZRILibrary*>(library);
    return target->call ? target->call(target->data, text ? text : "", arguments) : nullptr;
}

int32_t ZRIGetObjectClass(ZRIObject* object) { return object ? object->classId : ZRI_CLASS_NONE; }

const char* ZRIGetStringText(ZRIObject* object) {
    if (!object || object->classId != ZRI_CLASS_STRING) return nullptr;
    const auto& text = static_cast<ZRIString*>(object)->text;
    return text ? text->c_str() : nullptr;
}

void ZRIRelease(ZRIObject* object) {
    if (!object || --object->references > 0) return;
    delete object;
    --g_liveObjects;
}

void ZRIAddReference(ZRIObject* object) {
    if (object) ++object->references;
}

ZRIObject* ZRIAllocLibrary(ZRILibraryCall call, void (*release)(void* data), void* data) {
    return Made<ZRILibrary>(call, release, data);
}

int32_t ZRIGetArraySize(ZRIObject* array) {
    const ZRIArray* target = AsArray(array);
    return target ? static_cast<int32_t>(target->elements.size()) : 0;
}

ZRIObject* ZRIGetArrayElement(ZRIObject* array, int32_t index) {
    const ZRIArray* target = AsArray(array);
    ZRIObject* element = target ? target->At(index) : nullptr;
    ZRIAddReference(element);
    return element;
}

ZRIObject* ZRIAllocContext(void) { return Made<ZRIObject>(ZRI_CLASS_CONTEXT); }

int32_t ZRILiveObjectCount(void) { return g_liveObjects.load(); }

void NativePluginLogString(ZRIObject* string) {
    if (const char* text = ZRIGetStringText(string)) GSLog("%s", text);
}

// Each block is preceded by its size, so a free needs nothing else.
void* NativePluginAlloc(uint32_t size) {
    auto* block = static_cast<uint32_t*>(std::malloc(sizeof(uint64_t) + size));
    if (!block) return nullptr;
    *block = size;
    g_pluginBytes += size;
    return reinterpret_cast<uint8_t*>(block) + sizeof(uint64_t);
}

void NativePluginFree(void* block) {
    if (!block) return;
    auto* start = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(block) - sizeof(uint64_t));
    g_pluginBytes -= *start;
    std::free(start);
}

int64_t NativePluginAllocatedBytes(void) { return g_pluginBytes.load(); }

} // extern "C"
