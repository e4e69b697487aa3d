// The path argument of the install commands, made absolute: the daemon that reads it runs
// in its own working folder ("bin"), so a relative path would mean another place there.
#include "client/commands/install_commands.h"

namespace KodrinUtil {

Kiv::File::Path AbsoluteArgumentPath(const Kiv::PString& argument) {
    const Kiv::File::Path given(argument.View());
    if (given.IsEmpty() || given.IsAbsolute()) return given;
    Kiv::File::Path absolute(Kiv::File::GetCwd());
    absolute.AddPath(argument.c_str());
    return absolute;
}

} // namespace KodrinUtil
