// The encrypt word. A save that fails makes encrypt fail with its own error,
// so the user is never told a ".gse" exists that was not written.
#include "client/commands/script_commands.h"
#include "client/commands/startup_folder_scope.h"
#include "script_compiler/script_file.h"

namespace KodrinUtil {

namespace {

class ScriptFileOnDisk final : public EncryptScriptFile {
public:
    bool Load(const Kiv::File::Path& source) override { return file_.Load(nullptr, source); }
    bool Save(const Kiv::File::Path& target) override { return file_.Save(nullptr, target); }
    void Close() override { file_.Close(); }

private:
    ScriptFile file_;
};

}  // namespace

int CommandEncrypt(CommandContext& context) {
    ScriptFileOnDisk script;
    return EncryptScript(context, script);
}

int EncryptScript(CommandContext& context, EncryptScriptFile& script) {
    StartupFolderScope folder;
    const Kiv::File::Path source(context.Element(2));
    if (!source.IsExt("gs") || !script.Load(source)) {
        script.Close();
        AddError(context.log, "Invalid file path.");
        return -1;
    }
    Kiv::File::Path target = source;
    target.SetExt("gse");
    const bool saved = script.Save(target);
    script.Close();
    if (saved) return 0;
    AddError(context.log, "Failed to write output file.");
    return -1;
}

}  // namespace KodrinUtil
