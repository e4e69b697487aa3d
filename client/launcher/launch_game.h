// The command line with which the game is started, built from the display settings. The
// game itself ("bin\kodrin.exe" under the installation folder) is a Windows program and is
// not started from here; the parameter text is what a launcher passes it.
#pragma once

#include <string>

struct GameDisplaySettings;

// extra, then the display switches in their fixed order. Without settings, those of
// "Kodrin.cfg" in installFolder are used (the defaults when it cannot be read).
std::string LaunchGameParameters(const char* installFolder, const char* extra,
                                 const GameDisplaySettings* settings);
