// Where the daemon finds its installation: it is started with "bin" as its working folder,
// so the installation folder is that folder's parent, written as the client writes its
// own (normalised, backslashes, its case kept, no trailing separator), and the database path
// is "UserData" and "assets.tdx" added to it: the same text the client derives the
// discovery names from.
#pragma once

#include "engine/file_path.h"

// Empty when the working folder is empty or has no parent.
Kiv::File::Path DatabasePathOfWorkingFolder(Kiv::File::Path workingFolder);
