// CDP archives: the file opened and checked from a scratch folder, every asset's config
// read as the installer reads it, and its files extracted into a fresh folder. Nothing may
// be written outside that folder.
#include "foundation/cdp/cdp_archive.h"
#include "foundation/cdp/cdp_asset.h"
#include "foundation/kuid/kuid_list.h"
#include "fuzz_support.h"

namespace {

constexpr int32_t kMaxAssets = 64;

// Only the archive and the extraction folder may be left in the scratch folder.
void RequireNothingOutside(const std::filesystem::path& scratch) {
    for (const auto& entry : std::filesystem::directory_iterator(scratch)) {
        const std::string name = entry.path().filename().string();
        fuzz::Require(name == "fuzz.cdp" || name == "out", "nothing written outside the target");
    }
}

void ExtractAsset(const CDPArchive& archive, int32_t index, const std::filesystem::path& out) {
    CDPAsset asset = archive.GetAsset(index);
    KUIDList dependencies;
    CDPAsset::CollectDependencies(asset.GetConfig(), asset.GetKUID(), dependencies);
    asset.VerifyChecksum();
    fuzz::Walk(asset.MakeInstallConfig());
    CDPArchive::ExtractFiles(asset.GetFiles(), Kiv::PString(out.c_str()), "",
                             asset.GetCompression());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path& scratch = fuzz::ScratchFolder();
    const std::filesystem::path out = scratch / "out";
    std::filesystem::remove_all(out);
    std::filesystem::create_directory(out);
    fuzz::WriteFile(scratch / "fuzz.cdp", data, size);
    CDPArchive archive;
    if (archive.Open(scratch.c_str(), "fuzz.cdp").IsEmpty()) {
        const int32_t count = std::min(archive.CountAssets(), kMaxAssets);
        for (int32_t i = 0; i < count; ++i) ExtractAsset(archive, i, out);
    }
    RequireNothingOutside(scratch);
    std::filesystem::remove_all(out);
    return 0;
}
