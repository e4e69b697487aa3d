// How the driver writes template findings into a results log: every entry is about the
// asset the config names by its "kuid" tag (the null KUID when it has none), through a new
// subject of its own.
#pragma once

#include <cstdint>

#include "engine/pstring.h"
#include "foundation/soup/chunk_ref.h"

class ResultsLog;

namespace DAROdi {

// An entry of kind about the config's asset.
void AddAssetEntry(ResultsLog& log, int32_t kind, const ACSChunkRef& config,
                   const Kiv::PString& text);
// The error handler's warnings and errors, in order, as entries about the config's asset.
void CopyFindings(ResultsLog& log, const ACSChunkRef& config);

} // namespace DAROdi
