// A native plug-in for the loader's tests. Its library answers "Init" (counting the calls
// made without arguments), "Inits" (that count as text), "Describe" (the argument count,
// then each element's text or "null", as "n:a,b"), "Array" (a non-string) and, for any
// other name, null. Built with ZRI_TEST_REFUSE its entry point refuses to load.
#include <string>

#include "script_natives/zri.h"

namespace {

int g_initsWithoutArguments = 0;

ZRIObject* Text(const std::string& text) { return ZRIAllocString(text.c_str()); }

std::string Describe(ZRIObject* arguments) {
    const int32_t count = ZRIGetArraySize(arguments);
    std::string description = std::to_string(count) + ":";
    for (int32_t i = 0; i < count; ++i) {
        ZRIObject* element = ZRIGetArrayElement(arguments, i);
        const char* text = ZRIGetStringText(element);
        description += (i ? "," : "") + std::string(text ? text : "null");
        ZRIRelease(element);
    }
    return description;
}

ZRIObject* Call(void*, const char* name, ZRIObject* arguments) {
    const std::string function(name);
    if (function == "Init") {
        if (!arguments) ++g_initsWithoutArguments;
        return Text("ready");
    }
    if (function == "Inits") return Text(std::to_string(g_initsWithoutArguments));
    if (function == "Describe") return Text(Describe(arguments));
    if (function == "Array") return ZRIAllocArray(2);
    return nullptr;
}

} // namespace

#ifdef ZRI_TEST_REFUSE
constexpr bool kRefuse = true;
#else
constexpr bool kRefuse = false;
#endif

extern "C" ZRIObject* ZRIEntryPoint(ZRIObject* context) {
    if (kRefuse || ZRIGetObjectClass(context) != ZRI_CLASS_CONTEXT) return nullptr;
    return ZRIAllocLibrary(&Call, nullptr, nullptr);
}
