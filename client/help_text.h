// The help text printed for "help" and when no command word is given.
#pragma once

namespace KodrinUtil {

extern const char kHelpText[];

}  // namespace KodrinUtil
