// The program's own path, and starting another program as the client starts the
// asset-database daemon: never through a shell. The child gets a session of its own,
// standard handles on /dev/null and none of our other descriptors, like a program started
// into a console of its own; it is reaped when it ends, so its id never lingers as a
// zombie that still looks alive.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/file_path.h"

// The executable's full path, links resolved (/proc/self/exe); false when it is not
// available or longer than 4095 bytes (never a cut path).
bool GetModuleFilePath(Kiv::File::Path& out);

constexpr uint32_t kStartProcessMinimised = 1;
constexpr uint32_t kStartProcessHidden = 2;

// Starts program (resolved like every engine path; a relative one against the current
// folder) with the parameters split at blanks ("..." keeps blanks inside one argument) in
// the working folder (empty: ours). Returns the new process's id, or 0 when it was not started (a
// missing or non-executable program, a missing working folder). The window flags above
// have no effect: no window exists here.
uint32_t StartProcess(std::string_view program, std::string_view parameters,
                      std::string_view workingFolder, uint32_t flags);
