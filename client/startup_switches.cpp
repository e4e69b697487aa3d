// The start-up switches and the engine option text they give.
#include "client/startup_state.h"

#include "engine/pstring.h"

namespace KodrinUtil {

StartupState& GetStartupState() {
    static StartupState state;
    return state;
}

StartupSwitches ScanStartupSwitches(int argc, char** argv) {
    StartupSwitches switches;
    for (int i = 0; i < argc; ++i) {
        if (!argv[i]) continue;
        Kiv::PString word = Kiv::PString(argv[i]).ToLower();
        if (word == Kiv::PString("norender")) switches.nullRender = true;
        if (word == Kiv::PString("-kivlog")) switches.logToStdout = true;
        if (word == Kiv::PString("-nokavclient")) switches.clientHandshake = false;
    }
    return switches;
}

std::string EngineOptionText(const StartupSwitches& switches) {
    std::string text = switches.nullRender ? "-NullRender " : "-render=OpenGL -hidewindow ";
    text += switches.logToStdout ? "-LogStdOut " : "-LogFile=/dev/null ";
    return text;
}

}  // namespace KodrinUtil
