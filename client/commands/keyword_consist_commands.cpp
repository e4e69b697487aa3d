// `importconsists`, `backupkeywords` and `importkeywords`: where their files are and
// whether they load. The consist list is read in the working folder the process started
// in; the keyword backup goes to the program's folder, the import comes from the
// installation folder.
#include "client/commands/consist_import.h"
#include "client/commands/keyword_commands.h"
#include "client/commands/road_commands.h"
#include "client/commands/startup_folder_scope.h"
#include "client/kav/kav_user_data.h"
#include "foundation/soup/chunk_ref.h"

namespace KodrinUtil {

namespace {

constexpr const char* kKeywordBackupName = "KeywordsBackup.dat";
constexpr const char* kKeywordImportName = "KeywordsDump.dat";
constexpr const char* kKeywordFileForm = "txt";

}  // namespace

int CommandImportConsists(CommandContext& context) {
    StartupFolderScope folder;
    ACSChunkRef list;
    if (!list.LoadFromFile(nullptr, context.Element(2), nullptr, false)) {
        AddError(context.log, "Invalid input path.");
        return -1;
    }
    return ImportConsists(list, context.log) ? 0 : -1;
}

int CommandBackupKeywords(CommandContext& context) {
    const char* name = context.ArgumentMissing() ? kKeywordBackupName : context.Element(2);
    return BackupKeywords("", name, kKeywordFileForm) ? 0 : -1;
}

int CommandImportKeywords(CommandContext&) {
    const Kiv::File::Path folder = KAVUserData::GetInstallFolder();
    return ImportKeywords(folder.c_str(), kKeywordImportName, kKeywordFileForm) ? 0 : -1;
}

}  // namespace KodrinUtil
