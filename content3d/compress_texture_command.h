// Texture conversion of a folder tree: every file whose name ends in ".texture.txt" (case
// ignored) at or below a folder becomes the ".texture" file beside it. Each file is one
// conversion job (content3d/textures/kav_texture_convert_file_rpc.h); the jobs of a folder
// are all started, then waited for in order, so their compressions overlap. A subfolder is
// converted at once when the walk meets it. Folders reached through symbolic links are not
// entered, so a link loop cannot make the walk endless.
//
// The main thread must wait here or keep running its queued jobs: the first and last step
// of every job run on the main thread.
#pragma once

#include <cstdint>

#include "engine/pstring.h"

class ResultsLog;

// Converts under folder, which is relative to the location (a resource-database folder
// name, made available as an engine location), or absolute when location is empty; every
// failure is an error entry in log. Answers 2 when every job at or below the folder
// succeeded, else 0 (also when a folder cannot be searched: "Unable to search path").
int32_t CompressTexturesUnderPath(const Kiv::PString& location, const char* folder, ResultsLog& log);
// The same, for the `compresstexture` command, which passes an empty location and an
// absolute folder.
int32_t CompressTextureCommand(const Kiv::PString& location, const char* folder, ResultsLog& log);
