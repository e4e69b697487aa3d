// The recovering load of text soup files.
#include "foundation/soup/soup_file_recovery.h"

#include "foundation/files/file_paths.h"

namespace {

// Loads a file that exists; deletes it when it proved damaged. True when it loaded.
bool LoadOrDropDamaged(const Kiv::PString& base, const Kiv::File::Path& path,
                       const SoupFileLoader& load) {
    const SoupFileStatus status = load(path);
    if (status == SoupFileStatus::Loaded) return true;
    if (status == SoupFileStatus::Empty) DeleteTreeUnder(base, path);
    return false;
}

} // namespace

bool RecoverSoupFile(const Kiv::PString& base, const Kiv::File::Path& path,
                     const SoupFileLoader& load) {
    // A path that is itself a companion has none: loading it must not delete it.
    if (path.IsExt("tmp"))
        return FileExistsUnder(base, path) && LoadOrDropDamaged(base, path, load);
    Kiv::File::Path companion = path;
    companion.SetExt("tmp");
    if (FileExistsUnder(base, path) && LoadOrDropDamaged(base, path, load)) {
        DeleteTreeUnder(base, companion);
        return true;
    }
    if (FileExistsUnder(base, companion) && LoadOrDropDamaged(base, companion, load)) {
        RenameFileUnder(base, companion, path);
        return true;
    }
    return false;
}

bool ACSChunkRef::LoadFromFileWithRecovery(const Kiv::PString& base, const Kiv::File::Path& path) {
    const bool loaded = RecoverSoupFile(base, path, [this, &base](const Kiv::File::Path& file) {
        return LoadSoupFile(*this, base.c_str(), file.c_str(), "txt", false);
    });
    if (!loaded) Release();
    return loaded;
}
