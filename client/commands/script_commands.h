// `compile` and `encrypt`: the script compiler's command line and the ".gs" to ".gse"
// conversion, both run in the working folder the process started in. Encrypt reaches the
// script file through EncryptScriptFile, so its decisions can be tested apart from the
// file forms.
#pragma once

#include "client/command_context.h"
#include "engine/file_path.h"

namespace KodrinUtil {

// The compiler's result 0 gives 0, any error count -1 (the compiler prints its own log).
int CommandCompile(CommandContext& context);
int CommandEncrypt(CommandContext& context);

// The script-file operations encrypt needs. The command's own goes to ScriptFile.
class EncryptScriptFile {
public:
    virtual ~EncryptScriptFile() = default;
    virtual bool Load(const Kiv::File::Path& source) = 0;
    virtual bool Save(const Kiv::File::Path& target) = 0;
    virtual void Close() = 0;
};

// Encrypt with the given script file: the source (element 2 as typed) must end in ".gs"
// and load, else "Invalid file path."; the ".gse" beside it must be written, else "Failed
// to write output file.". 0 or -1.
int EncryptScript(CommandContext& context, EncryptScriptFile& script);

}  // namespace KodrinUtil
