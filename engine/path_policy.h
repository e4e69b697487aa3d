// The one path policy under every engine file operation. The program writes paths the way a
// Windows tool does (backslashes, names it composes in lower case, location names such as
// "scripts"), while paths from the system or the user keep their case; here they
// become real paths: "\" and "/" are both separators and "/" is written, a leading separator
// makes a path absolute, a relative path whose first component is a registered location
// name is substituted, and a path that does not exist exactly is resolved component by
// component ignoring ASCII case. Components that do not exist are kept as given, so new
// files and folders get the name the caller wrote. Paths never reach a shell.
#pragma once

#include <string>
#include <string_view>

namespace Kiv::PathPolicy {

// Separators folded to single "/", a trailing one dropped (the root stays "/"), and a
// location substitution applied. Empty for an empty path.
std::string Fold(std::string_view path);

// Fold, then each existing component resolved ignoring case; an exact match wins, and
// among several case variants the byte-wise smallest name is taken. Empty for an empty path.
std::string Resolve(std::string_view path);

// As Resolve for every component but the last, which is kept as given: the path under
// which a new file or folder of exactly that name is made.
std::string ResolveParent(std::string_view path);

// Registers (or replaces) a location: a relative path whose first component equals name
// ignoring case continues in target (itself folded, never substituted again). An empty
// target removes the location.
void SetLocation(std::string_view name, std::string_view target);

}  // namespace Kiv::PathPolicy
