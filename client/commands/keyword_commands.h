// Keyword backup and import between a soup file and the asset database. Not built yet:
// no file is written or read and nothing is sent to the daemon.
#pragma once

namespace KodrinUtil {

// Writes every asset's keywords into the soup file folder/fileName in the form extension
// names; the save's truth value. Not built yet: always false, no file written.
bool BackupKeywords(const char* folder, const char* fileName, const char* extension);
// Sets the keywords listed in the soup file; false when the file cannot be loaded. Not
// built yet: always false, nothing read or sent.
bool ImportKeywords(const char* folder, const char* fileName, const char* extension);

}  // namespace KodrinUtil
