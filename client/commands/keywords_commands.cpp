// `backupkeywords [file]` and `importkeywords`: every asset's keywords to and from a text
// soup whose tags are named by the assets' KUID tags. The backup goes to the working folder
// (the program folder) under the name given, else "KeywordsBackup.dat"; the import reads
// "KeywordsDump.dat" in the installation folder. Both report only through their result.
#include "client/commands/database_commands.h"
#include "link/kav/kav_client.h"
#include "link/kav/kav_filter.h"
#include "link/kav/kav_user_data.h"
#include "foundation/soup/chunk_ref.h"

namespace KodrinUtil {

namespace {

constexpr const char* kBackupName = "KeywordsBackup.dat";
constexpr const char* kImportName = "KeywordsDump.dat";
constexpr const char* kKeywordFileExtension = "txt";

}  // namespace

bool BackupKeywords(const char* folder, const char* name, const char* extension) {
    const KAVFilterElementGroup everyAsset;
    KUIDList assets;
    KAVClient::QueryAssets(&everyAsset, assets);
    ACSChunkRef soup;
    soup.EnsureContainer();
    for (const KUID& kuid : assets) {
        const Kiv::String keywords = KAVClient::GetAssetKeywords(kuid);
        soup.SetNamedTagString(kuid.ToTag(), keywords.c_str());
    }
    return soup.SaveToFile(folder, name, extension);
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
    return BackupKeywords("", name, kKeywordFileExtension) ? 0 : -1;
}

int CommandImportKeywords(CommandContext&) {
    const Kiv::File::Path folder = KAVUserData::GetInstallFolder();
    return ImportKeywords(folder.c_str(), kImportName, kKeywordFileExtension) ? 0 : -1;
}

}  // namespace KodrinUtil
