// ValidateAssetTask: the validation of one asset as a job of the main thread. The command
// host's validation job calls Execute from the daemon link's thread; the job then waits
// until the main thread's pump has run the validation, since the validation library is
// used on the main thread only. On the main thread the validation runs at once.
#pragma once

#include <cstdint>

#include "engine/file_path.h"
#include "engine/pstring.h"

class ResultsLog;

class ValidateAssetTask {
  public:
    // Validates the asset at path (of the location folderName) into log; the truth value.
    // False too when the job system let the job go without running it.
    static bool Execute(const Kiv::PString& folderName, const Kiv::File::Path& path,
                        ResultsLog& log);

    // The job's body; the argument is not used.
    void Run(intptr_t argument);

  private:
    ValidateAssetTask(const Kiv::PString* location, const Kiv::File::Path* path, ResultsLog* log)
        : location_(location), path_(path), log_(log) {}

    const Kiv::PString* location_;
    const Kiv::File::Path* path_;
    ResultsLog* log_;
    uint8_t result_ = 0;
};
