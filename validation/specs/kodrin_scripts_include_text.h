// The include text that scripted specs generate (lines ended by CR LF) and hand to the
// compiler before every source it compiles for them; process-wide, main thread only.
#pragma once

#include <string>

std::string& ScriptIncludeText();
