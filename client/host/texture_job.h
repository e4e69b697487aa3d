// The command host's texture job: converts every texture description under a path of an
// asset folder. Answers 2 when all were converted, 1 when it stopped on a reported error,
// 0 when the path cannot be searched.
#pragma once

#include <cstdint>

#include "engine/file_path.h"
#include "engine/pstring.h"

class ResultsLog;

namespace KodrinUtil {

int32_t RunTextureJob(const Kiv::PString& folderName, const Kiv::File::Path& path, ResultsLog& log);

} // namespace KodrinUtil
