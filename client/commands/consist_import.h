// The consist import behind `importconsists`: each train of an old consist list that has
// no local consist asset of its name becomes a new consist asset. Not built yet: nothing
// is queried, created or committed.
#pragma once

class ACSChunkRef;
class ResultsLog;

namespace KodrinUtil {

// Imports the trains of the loaded consist list; true when the list was handled. Not built
// yet: always false, nothing logged.
bool ImportConsists(const ACSChunkRef& list, ResultsLog& log);

}  // namespace KodrinUtil
