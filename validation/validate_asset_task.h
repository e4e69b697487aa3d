// ValidateAssetTask: the validation of one asset as the command host's validation job runs
// it (the daemon's "validate" requests reach it through that job). The validation itself
// is not built yet: this stand-in runs nothing, adds nothing to the log and answers true,
// so the job's reply travels end to end with an empty log until validation exists.
#pragma once

#include "engine/file_path.h"
#include "engine/pstring.h"

class ResultsLog;

class ValidateAssetTask {
  public:
    // Validates the asset at path (of the folder folderName) into log; the truth value.
    static bool Execute(const Kiv::PString& folderName, const Kiv::File::Path& path,
                        ResultsLog& log);
};
