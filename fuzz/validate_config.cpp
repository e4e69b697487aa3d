// A config text of any shape matched against the project's template set and exported, as
// the validation driver runs it: kind resolution, template building, matching, the tag
// checks, export and the root's container rules never crash, hang or leak, and leave no
// finding about a deleted subject. The templates are copied into the scratch folder once.
#include <filesystem>

#include "foundation/soup/acs_text.h"
#include "fuzz_support.h"
#include "validation/darodi/container.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/error_handler.h"

namespace {

void SetUpOnce() {
    static const bool ready = [] {
        const std::filesystem::path templates = fuzz::ScratchFolder() / "VAVIrov";
        std::filesystem::copy(std::filesystem::path(KODRIN_SOURCE) / "data" / "VAVIrov", templates,
                              std::filesystem::copy_options::recursive);
        DAROdi::ErrorHandler::CreateInstance();
        DAROdi::DataManager::CreateInstance((templates.string() + "/").c_str());
        DAROdi::DataManager::Instance().MergeTemplates();
        return true;
    }();
    (void)ready;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetUpOnce();
    fuzz::InputStream input(data, size);
    ACSChunkRef config;
    ACSText::Parse(config, input.Stream(), true);
    DAROdi::ErrorHandler::Instance()->Clear();
    {
        DAROdi::Container root;
        if (root.ResolveKind(config)) {
            ACSChunkRef exported;
            root.Export(exported);
            root.RunContainerRules();
            fuzz::Walk(exported);
        }
    }
    for (const DAROdi::ErrorEntry& entry : DAROdi::ErrorHandler::Instance()->GetEntries())
        fuzz::Require(entry.container == nullptr && entry.tag == nullptr,
                      "a finding outlived its subject");
    DAROdi::DataManager& manager = DAROdi::DataManager::Instance();
    manager.PurgeLoaded();
    manager.aliasFlag = false;
    manager.meshFailed = false;
    return 0;
}
