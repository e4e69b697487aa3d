// Where console lines go. A front end that starts the tool may create a FIFO named
// "<pid>cout" (the tool's process id) in $XDG_RUNTIME_DIR, else /tmp; when it exists as a
// FIFO of our own user at start-up and has a reader, every console line goes into it as
// UTF-16LE instead of to standard output. Standard output itself (descriptor 1) is left
// alone, so the engine log that start-up may point there never mixes into the pipe.
#pragma once

#include <string>
#include <string_view>

// The FIFO's path for this process.
std::string ParentPipePath();

// Opens the FIFO when it exists (never creating it, never waiting for a reader) and makes
// it the output, else standard output. Runs once before the program's entry; a later call
// closes a pipe opened before and looks again.
void RedirectStdoutToParentPipe();

// True while console lines go into the parent's pipe.
bool IsOutputRedirected();

// Writes one console line (narrow text, line end included) to the output: converted by
// NarrowToWideText as UTF-16LE into the pipe, else the bytes as they are to standard
// output. A line that cannot be written (the reader went away) is lost; the process goes on.
void WriteConsoleOutput(std::string_view line);
