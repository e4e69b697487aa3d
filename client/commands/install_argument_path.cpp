// The path argument of the install commands, made absolute: the daemon that reads it runs
// in its own working folder ("bin"), so a relative path would mean another place there. The
// argument keeps the case it was typed in: on a case-sensitive file system another
// spelling may name another folder, or none.
#include "client/commands/install_commands.h"

namespace KodrinUtil {

Kiv::File::Path AbsoluteArgumentPath(const char* argument) {
    const Kiv::File::Path given(argument);
    if (given.IsEmpty() || given.IsAbsolute()) return given;
    Kiv::File::Path absolute(Kiv::File::GetCwd());
    absolute.AddPath(argument);
    return absolute;
}

} // namespace KodrinUtil
