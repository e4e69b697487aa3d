// Kiv::OS: the engine's process object, holding the application name, the option text it
// was made with and the parsed options. Init has nothing that can fail in this port and
// answers true; callers keep their retry path for engines where it can.
#pragma once

#include <string>

#include "engine/options.h"

namespace Kiv {

class OS {
public:
    OS(const char* applicationName, const char* commandText);

    bool Init();
    bool IsInitialised() const { return initialised_; }
    Options& GetOptions() { return options_; }
    const Options& GetOptions() const { return options_; }
    const char* GetApplicationName() const { return applicationName_.c_str(); }
    const char* GetCommandText() const { return commandText_.c_str(); }

private:
    std::string applicationName_;
    std::string commandText_;
    Options options_;
    bool initialised_ = false;
};

}  // namespace Kiv
