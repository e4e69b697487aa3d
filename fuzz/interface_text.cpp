// The interface-text file: the first byte chooses the form (odd: the ".txt" text soup, even:
// the compiled chump), the rest is the file, loaded as the program loads it from its "data"
// folder and looked up.
#include <unistd.h>

#include "foundation/text/interface_text.h"
#include "fuzz_support.h"

namespace {

const std::filesystem::path& DataFolder() {
    static const std::filesystem::path folder = [] {
        const std::filesystem::path scratch = fuzz::ScratchFolder();
        std::filesystem::create_directory(scratch / "data");
        if (chdir(scratch.c_str()) != 0) std::abort();
        return scratch / "data";
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::filesystem::path& folder = DataFolder();
    const std::string name = InterfaceTextDB::FileName().c_str();
    const bool text = (data[0] & 1) != 0;
    const std::filesystem::path chump = folder / name;
    const std::filesystem::path plain = folder / (chump.stem().string() + ".txt");
    std::filesystem::remove(text ? chump : plain);
    fuzz::WriteFile(text ? plain : chump, data + 1, size - 1);
    InterfaceTextDB::Invalidate();
    InterfaceTextDB& table = InterfaceTextDB::Instance();
    for (const char* key : {"$kav_installed", "scenario_text", "a", "$"})
        table.GetString(Kiv::PString(key), false);
    table.GetScenarioString(Kiv::PString("a"));
    return 0;
}
