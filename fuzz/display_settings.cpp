// The game's display settings file "Kodrin.cfg", read from a scratch folder.
#include "client/launcher/game_display_settings.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path& folder = fuzz::ScratchFolder();
    fuzz::WriteFile(folder / GameDisplaySettings::kFileName, data, size);
    GameDisplaySettings settings;
    fuzz::Require(settings.Load(folder.c_str()), "an existing file opens");
    return 0;
}
