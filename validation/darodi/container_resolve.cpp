// Kind resolution and template matching of an asset config. Not built yet: the stand-in
// resolves no kind, builds no template and matches nothing; it keeps the config and the
// merged templates on the root and answers true, so every config passes this stage.
#include "validation/darodi/container.h"
#include "validation/darodi/data_manager.h"

namespace DAROdi {

bool Container::ResolveKind(const ACSChunkRef& config) {
    isRoot = true;
    index = 0;
    SetConfig(config);
    SetTemplates(DataManager::Instance().GetMergedTemplates());
    return true;
}

} // namespace DAROdi
