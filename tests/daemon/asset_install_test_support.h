// Support of the install tests (the daemon's and the client's): CDP archives made with the
// project's archive code from asset configs with stored file trees, and a listing of the
// files below a folder for checking what an install left on disk.
#pragma once

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "foundation/cdp/cdp_archive.h"
#include "foundation/soup/chunk.h"
#include "foundation/soup/container_tag.h"

namespace install_test {

// Appends a file blob of those bytes under name.
inline void AddBlob(ACSChunkRef& folder, const char* name, const std::string& bytes) {
    folder.EnsureContainer();
    const ACSRawDataRef value = ACSRawDataRef::CopyBytes(
        static_cast<uint32_t>(bytes.size()), reinterpret_cast<const uint8_t*>(bytes.data()));
    ACSChunkRef holder = ACSChunkRef::Adopt(new TDBContainerTag());
    folder->AddChild(name, holder->CreateTag(ACSTagType::Blob, value));
}

// An archive entry: the config tags given and its files stored without compression.
// A name with a "/" puts the file into that sub-folder.
inline ACSChunkRef ArchivedAsset(const KUID& kuid, const char* username,
                                 const std::map<std::string, std::string>& files) {
    ACSChunkRef config;
    config.SetNamedTagKUID("kuid", kuid);
    config.SetNamedTagString("username", username);
    config.SetNamedTagString("kind", "Mesh");
    config.SetNamedTagString("compression", "");
    ACSChunkRef tree;
    tree.EnsureContainer();
    for (const auto& [name, bytes] : files) {
        const size_t slash = name.find('/');
        if (slash == std::string::npos) {
            AddBlob(tree, name.c_str(), bytes);
            continue;
        }
        const Kiv::PString folderName(name.substr(0, slash));
        ACSChunkRef folder = tree.GetNamedSoup(folderName);
        if (folder.IsNull()) {
            folder.EnsureContainer();
            tree.SetNamedSoup(folderName, folder);
        }
        AddBlob(folder, name.substr(slash + 1).c_str(), bytes);
    }
    config.SetNamedSoup("files", tree);
    CDPAsset(config).SetChecksum();
    return config;
}

// Saves the assets as one archive, with a root "thumbnail" blob of those bytes when they are
// given; the archive code's error text, empty on success.
inline std::string SaveArchive(const std::string& path, std::vector<ACSChunkRef> assets,
                               const std::string& thumbnail = "") {
    CDPArchive archive;
    for (ACSChunkRef& asset : assets) {
        const Kiv::PString error = archive.AddAsset(asset);
        if (!error.IsEmpty()) return std::string(error.View());
    }
    if (!thumbnail.empty()) {
        ACSChunkRef root = archive.GetRoot();
        AddBlob(root, "thumbnail", thumbnail);
    }
    return std::string(archive.Save(path.c_str()).View());
}

// Every file and folder below root as sorted relative paths; links are listed, not followed.
inline std::vector<std::string> Listing(const std::filesystem::path& root) {
    std::vector<std::string> entries;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(root, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        entries.push_back(std::filesystem::relative(it->path(), root).string());
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

} // namespace install_test
