// Texture conversion is not part of this version: the job reports so and answers 0. The
// texture road's CompressTexturesUnderPath replaces this body once it exists.
#include "client/host/texture_job.h"

#include "client/command_context.h"

namespace KodrinUtil {

int32_t RunTextureJob(const Kiv::PString&, const Kiv::File::Path&, ResultsLog& log) {
    AddError(log, "Texture conversion is not available in this version.");
    return 0;
}

} // namespace KodrinUtil
