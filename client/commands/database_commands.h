// The commands that work on the asset database as a whole: the repair (a task the daemon
// runs while the tool polls it) and the keyword backup and import (soup files of every
// asset's keywords). Each returns the process result; the repair's is 255 when the
// daemon's repair log held an error.
#pragma once

#include <string>

#include "client/command_context.h"

namespace KodrinUtil {

// Every asset's keywords into the text soup folder/name (the extension names the form),
// replacing an old file only when the new one is complete; false with the cause in error.
bool BackupKeywords(const char* folder, const char* name, const char* extension, std::string& error);
// Sets each asset's keywords from the text soup folder/name; false when it does not load.
bool ImportKeywords(const char* folder, const char* name, const char* extension);

int CommandRepairDatabase(CommandContext& context);
int CommandBackupKeywords(CommandContext& context);
int CommandImportKeywords(CommandContext& context);

}  // namespace KodrinUtil
