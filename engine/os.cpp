// Kiv::OS construction and initialisation.
#include "engine/os.h"

namespace Kiv {

OS::OS(const char* applicationName, const char* commandText)
    : applicationName_(applicationName ? applicationName : ""),
      commandText_(commandText ? commandText : "") {
    options_.ProcessRaw(commandText_.c_str());
}

bool OS::Init() {
    initialised_ = true;
    return true;
}

}  // namespace Kiv
