// The consist import, waiting for the consist assets: it does nothing.
#include "client/commands/consist_import.h"

namespace KodrinUtil {

bool ImportConsists(const ACSChunkRef&, ResultsLog&) {
    return false;
}

}  // namespace KodrinUtil
