// Not built yet: the stand-in sets up no script system and compiles nothing; it records
// each call (location and path) and answers true.
#include "validation/darodi/kav_compile_asset.h"

#include <mutex>

namespace {

std::mutex g_callsLock;
std::vector<std::pair<std::string, std::string>> g_calls;

} // namespace

bool KAVCompileAsset(const Kiv::PString& location, const Kiv::File::Path& path, ResultsLog&) {
    std::lock_guard<std::mutex> hold(g_callsLock);
    g_calls.emplace_back(std::string(location.View()), std::string(path.View()));
    return true;
}

std::vector<std::pair<std::string, std::string>> KAVCompileAssetCalls() {
    std::lock_guard<std::mutex> hold(g_callsLock);
    return g_calls;
}
