// Names for temporary files: "temp-", eight characters of 0-9 and a-z, the number of the
// call and ".tmp", in the temporary folder. The folder belongs to the user-data layer
// above, which sets it at start-up (SetTemporaryFolder); until then names are formed in
// the base folder itself.
#pragma once

#include "engine/file_path.h"
#include "engine/pstring.h"

void SetTemporaryFolder(const Kiv::File::Path& folder);
Kiv::File::Path GetTemporaryFolder();

// Makes sure the temporary folder exists under base (file_paths.h rules) and gives out a
// name there that does not exist yet; false, logged, when 100 tries found none.
bool CreateTemporaryFilePath(Kiv::File::Path& out, const Kiv::PString& base);
