// Str: the standard library's static class of string natives (parsing, trimming, case,
// tokens, unpacking, search). Strings arrive as script references, null allowed; the edits
// change the argument string in place, and new strings and arrays are made in the calling
// context. Every native that returns a value pushes one, so the caller's result slot is
// always defined: 0, 0.0 or a null string where there is nothing to convert.
#pragma once

class GSMachine;

namespace Str {

// Registers the eleven natives under the class name "Str".
void RegisterNatives(GSMachine& machine);

}  // namespace Str
