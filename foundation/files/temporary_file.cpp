// The call counter makes names of one process differ even when the random characters
// repeat; the random characters make names of different processes differ.
#include "foundation/files/temporary_file.h"

#include <atomic>
#include <mutex>
#include <string>

#include "foundation/files/file_paths.h"
#include "foundation/console/log_message.h"
#include "foundation/files/process_random.h"

namespace {

constexpr const char* kPrefix = "temp-";
constexpr int kRandomCharacters = 8;
constexpr int kTries = 100;

std::atomic<uint32_t> g_calls{0};

struct TemporaryFolder {
    std::mutex mutex;
    Kiv::File::Path folder;
};

TemporaryFolder& TheTemporaryFolder() {
    static auto* folder = new TemporaryFolder;
    return *folder;
}

char RandomNameCharacter() {
    const int32_t n = ProcessRandom().NextInt(0, 35);
    return static_cast<char>(n < 10 ? '0' + n : 'a' + (n - 10));
}

Kiv::File::Path Candidate(const Kiv::File::Path& folder, uint32_t call) {
    std::string name = kPrefix;
    for (int i = 0; i < kRandomCharacters; ++i) name.push_back(RandomNameCharacter());
    name += std::to_string(call) + ".tmp";
    Kiv::File::Path path = folder;
    path.AddPath(name.c_str());
    return path;
}

}  // namespace

void SetTemporaryFolder(const Kiv::File::Path& folder) {
    TemporaryFolder& state = TheTemporaryFolder();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.folder = folder;
}

Kiv::File::Path GetTemporaryFolder() {
    TemporaryFolder& state = TheTemporaryFolder();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.folder;
}

bool CreateTemporaryFilePath(Kiv::File::Path& out, const Kiv::PString& base) {
    const uint32_t call = ++g_calls;
    const Kiv::File::Path folder = GetTemporaryFolder();
    MakeDirectoryUnder(base, folder);
    for (int i = 0; i < kTries; ++i) {
        Kiv::File::Path path = Candidate(folder, call);
        if (!FileExistsUnder(base, path)) {
            out = std::move(path);
            return true;
        }
    }
    LogMessage("CreateTemporaryFilePath> unable to form valid temp path in 100 tries, at path "
               "'%s' with prefix '%s'",
               folder.c_str(), kPrefix);
    return false;
}
