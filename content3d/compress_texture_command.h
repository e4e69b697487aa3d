// Texture conversion for the `compresstexture` command: every ".texture.txt" below a
// folder becomes its ".texture" file. Not built yet: nothing is searched or converted.
#pragma once

#include <cstdint>

#include "engine/pstring.h"

class ResultsLog;

// Answers 2 when every texture converted, 1 when the work stopped on an error it reported,
// 0 when the folder could not be searched. Not built yet: answers 0 at once, without
// touching the folder or the log; out stays as it was.
int32_t CompressTextureCommand(Kiv::PString& out, const char* path, ResultsLog& log);
