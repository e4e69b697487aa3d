// The keyword roads, waiting for their soup walks: they do nothing.
#include "client/commands/keyword_commands.h"

namespace KodrinUtil {

bool BackupKeywords(const char*, const char*, const char*) {
    return false;
}

bool ImportKeywords(const char*, const char*, const char*) {
    return false;
}

}  // namespace KodrinUtil
