// `backupkeywords [file]` and `importkeywords`: every asset's keywords to and from a text
// soup whose tags are named by the assets' KUID tags. The backup goes to the working folder
// (the program folder) under the name given, else "KeywordsBackup.dat"; the import reads
// "KeywordsDump.dat" in the installation folder. The backup replaces an old file only once
// the new one is complete, so a full disk keeps the old backup; a failure of either
// command is an error entry saying why (the system's error text, or the file looked for).
#include "client/commands/database_commands.h"

#include <string>

#include "link/kav/kav_client.h"
#include "link/kav/kav_filter.h"
#include "link/kav/kav_user_data.h"
#include "foundation/files/file_paths.h"
#include "foundation/results/results_log.h"
#include "foundation/soup/chunk_ref.h"
#include "foundation/soup/soup_file.h"

namespace KodrinUtil {

namespace {

constexpr const char* kBackupName = "KeywordsBackup.dat";
constexpr const char* kImportName = "KeywordsDump.dat";
constexpr const char* kKeywordFileExtension = "txt";

}  // namespace

bool BackupKeywords(const char* folder, const char* name, const char* extension, std::string& error) {
    const KAVFilterElementGroup everyAsset;
    KUIDList assets;
    KAVClient::QueryAssets(&everyAsset, assets);
    ACSChunkRef soup;
    soup.EnsureContainer();
    for (const KUID& kuid : assets) {
        const Kiv::String keywords = KAVClient::GetAssetKeywords(kuid);
        soup.SetNamedTagString(kuid.ToTag(), keywords.c_str());
    }
    Kiv::File::Path path(folder);
    path.AddPath(name);
    return SaveSoupFileAtomically(soup, path.c_str(), extension, error);
}

bool ImportKeywords(const char* folder, const char* name, const char* extension) {
    ACSChunkRef soup;
    if (!soup.LoadFromFile(folder, name, extension, false)) return false;
    for (int32_t i = 0; i < soup.CountTags(); ++i) {
        const Kiv::PString tagName = soup.GetIndexedTagName(i);
        const KUID kuid = KUID::Parse(tagName.c_str(), false);
        KAVClient::SetAssetKeywords(kuid, soup.GetNamedTag(tagName));
    }
    return true;
}

int CommandBackupKeywords(CommandContext& context) {
    const char* name = context.ArgumentMissing() ? kBackupName : context.Element(2);
    std::string error;
    if (BackupKeywords("", name, kKeywordFileExtension, error)) return 0;
    const ResultsLogParameters parameters = {{"FILE_NAME", name}, {"ERROR", error}};
    context.log.AddEntry(ResultsLogKind::Error, nullptr,
                         "Unable to write the keyword backup '$(FILE_NAME)': $(ERROR)", &parameters);
    return -1;
}

int CommandImportKeywords(CommandContext& context) {
    const Kiv::File::Path folder = KAVUserData::GetInstallFolder();
    if (ImportKeywords(folder.c_str(), kImportName, kKeywordFileExtension)) return 0;
    Kiv::File::Path path = folder;
    path.AddPath(kImportName);
    const ResultsLogParameters parameters = {{"FILE_NAME", WithForwardSlashes(path.View())}};
    context.log.AddEntry(ResultsLogKind::Error, nullptr, "Unable to read the keyword file '$(FILE_NAME)'",
                         &parameters);
    return -1;
}

}  // namespace KodrinUtil
