// Creating a file under a name that is not taken yet: the name itself first, then the name
// with "_2", "_3" and so on put between its base and its extension ("Kodrin-49933_2.dmp").
// Signal-safe: the candidates are built in the caller's buffer and each one is created with
// O_EXCL, so two processes crashing at once never write into the same report.
#pragma once

#include <cstddef>

// Returns the descriptor of the new, empty file (write only, mode 0644) and its path in
// `path`, or -1 when the path does not fit, the folder cannot be written, or 10000
// candidates are taken. An empty folder means the current one.
int CreateUniqueFile(const char* folder, const char* name, char* path, size_t pathSize);
